// A real trvns-nsserver process for tests: started on a free loopback port
// with the test certificates and its own database, reached with the
// generated stub over TLS.
#ifndef TRVNS_TEST_SERVER_FIXTURE_H
#define TRVNS_TEST_SERVER_FIXTURE_H

#include <gtest/gtest.h>
#include <grpcpp/grpcpp.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "recording_server.h"
#include "test_files.h"
#include "trvnamespace.grpc.pb.h"

namespace trvns_test {

class ServerProcess {
public:
    // `extraArgs` go to the server after the fixture's own.
    explicit ServerProcess(const std::string &database, std::vector<std::string> extraArgs = {});
    ~ServerProcess();
    void start();
    void stop(int signal);  // and wait for it
    int port() const { return port_; }
    std::unique_ptr<trvnamespace::TRVNamespaceServer::Stub> stub() const;
    const std::string &database() const { return database_; }
    // What the server wrote to its standard error so far.
    std::string log() const { return readFile(database_ + ".log"); }

private:
    std::string database_;
    std::vector<std::string> extraArgs_;
    pid_t pid_ = -1;
    int port_ = 0;
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
