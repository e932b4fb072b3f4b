// A real trvns-nsserver process for tests: started on a free loopback port
// with the test certificates and its own database, reached with the
// generated stub over TLS.
#ifndef TRVNS_TEST_SERVER_FIXTURE_H
#define TRVNS_TEST_SERVER_FIXTURE_H

#include <gtest/gtest.h>
#include <grpcpp/grpcpp.h>

#include <memory>
#include <string>
#include <vector>

#include "recording_server.h"
#include "server_process.h"
#include "test_files.h"
#include "trvnamespace.grpc.pb.h"

namespace trvns_test {

// The server of this build, with the test certificates.
class ServerProcess : public ServerLauncher {
public:
    // `extraArgs` go to the server after the fixture's own.
    explicit ServerProcess(const std::string &database, std::vector<std::string> extraArgs = {});
    std::unique_ptr<trvnamespace::TRVNamespaceServer::Stub> stub() const;
};

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    using Stub = trvnamespace::TRVNamespaceServer::Stub;
    static constexpr int kCallFailed = 99999;

    // One call; its reply's retCode, kCallFailed when the call failed.
    template <typename Request, typename Reply>
    int call(grpc::Status (Stub::*rpc)(grpc::ClientContext *, const Request &, Reply *), const Request &request,
             Reply *reply) {
        grpc::ClientContext context;
        if (!((*stub_).*rpc)(&context, request, reply).ok()) return kCallFailed;
        return reply->retcode();
    }
    template <typename Request, typename Reply>
    int call(grpc::Status (Stub::*rpc)(grpc::ClientContext *, const Request &, Reply *), const Request &request) {
        Reply reply;
        return call(rpc, request, &reply);
    }

    // Calls that only return a retCode.
    int createNamespace(const std::string &name);
    int createFolder(const std::string &path);
    int createJunction(const std::string &dir, const std::string &name, const std::string &volume,
                       const std::string &server = "", const std::string &type = "YAR",
                       const std::string &path = "/data");
    int remove(const std::string &path);
    int rename(const std::string &path, const std::string &newName);
    int move(const std::string &source, const std::string &target);
    int grant(const std::string &path, const std::string &trustee);
    int revoke(const std::string &path, const std::string &trustee);
    int deleteNamespace(const std::string &name);
    int salvageNamespace(const std::string &name);
    int purgeNamespace(const std::string &name);
    trvnamespace::DirStatReply dirStat(const std::string &path, uint32_t uid = 0);
    std::vector<std::string> names(const std::string &path, uint32_t uid = 0);
    std::vector<std::string> namespaces();

    std::string dir_;
    std::unique_ptr<ServerProcess> server_;
    std::unique_ptr<trvnamespace::TRVNamespaceServer::Stub> stub_;
};

}  // namespace trvns_test

#endif
