// A namespace server for tests: serves TRVNamespaceServer over TLS on
// 127.0.0.1, records every request and answers with scripted replies (an
// empty reply by default) or fails chosen calls.
#ifndef TRVNS_TEST_RECORDING_SERVER_H
#define TRVNS_TEST_RECORDING_SERVER_H

#include <grpcpp/grpcpp.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "test_pki.h"
#include "trvnamespace.grpc.pb.h"

namespace trvns_test {

// Whether the server asks the client for a certificate signed by the
// test CA during the TLS handshake.
enum class ClientAuth { kNone, kRequire };

struct RecordedRequest {
    std::string rpc;
    std::shared_ptr<google::protobuf::Message> request;
};

class RecordingServer {
public:
    explicit RecordingServer(ClientAuth auth = ClientAuth::kNone);
    ~RecordingServer();
    RecordingServer(const RecordingServer &) = delete;
    RecordingServer &operator=(const RecordingServer &) = delete;

    int port() const { return port_; }
    void setReply(const std::string &rpc, const google::protobuf::Message &reply);
    void failCalls(const std::string &rpc);
    // Calls of `rpc` are recorded and then never answered, until clear()
    // or the end of the server.
    void holdCalls(const std::string &rpc);
    // Calls of `rpc` are answered after `delay`.
    void delayCalls(const std::string &rpc, std::chrono::milliseconds delay);
    // Also releases every held call.
    void clear();
    std::vector<RecordedRequest> requests();
    // The only request recorded so far, of type T; fails the test otherwise.
    template <typename T>
    T onlyRequest(const std::string &rpc) {
        auto recorded = requests();
        T request;
        if (recorded.size() == 1 && recorded[0].rpc == rpc) request.CopyFrom(*recorded[0].request);
        else lastError_ = "expected one " + rpc + " request, got " + std::to_string(recorded.size());
        return request;
    }
    const std::string &lastError() const { return lastError_; }
    // Writes a client configuration that points at this server.
    void writeClientConfig(const std::string &path, const std::string &certPath = "") const;

    grpc::Status handle(const char *rpc, const google::protobuf::Message &request, google::protobuf::Message *reply);

private:
    class Service;
    std::unique_ptr<Service> service_;
    std::unique_ptr<grpc::Server> server_;
    int port_ = 0;
    std::mutex mutex_;
    std::vector<RecordedRequest> requests_;
    std::map<std::string, std::unique_ptr<google::protobuf::Message>> replies_;
    std::set<std::string> failing_;
    std::set<std::string> holding_;
    std::map<std::string, std::chrono::milliseconds> delays_;
    std::condition_variable released_;
    std::string lastError_;
};

}  // namespace trvns_test

#endif
