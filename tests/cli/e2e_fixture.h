// The fixture of the end-to-end tests of qtrvns-mgmt: the recording server,
// the real plug-in in the plug-in directory and the configuration files.
#ifndef TRVNS_TEST_E2E_FIXTURE_H
#define TRVNS_TEST_E2E_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_server.h"
#include "test_files.h"

namespace trvns_test {

constexpr char kUserTable[] = "/etc/opt/brenvik/qtrvns/uxr-users.conf";

using namespace trvnamespace;

class EndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (server_ == nullptr) server_ = new RecordingServer();  // lives as long as the process
        copyFile(TRVNS_PLUGIN_FILE, "/opt/brenvik/qtrvns/plugins/libremoteops.so");
    }
    void SetUp() override {
        server().clear();
        server().writeClientConfig(kClientConfig);
        writeFile(kTreeConfig, "# directory service\n   x7q.base.tree-name =   MY_TREE  \n");
        writeFile(kUserTable, ".velgarduser.context.MY_TREE. = 1234\n");
    }
    static RecordingServer &server() { return *server_; }

    RunResult cli(const std::vector<std::string> &args, const char *input = "") {
        return runProgram(QTRVNS_MGMT, args, input);
    }
    // The only request the server got, of the given RPC.
    template <typename T>
    T request(const std::string &rpc) {
        T message = server().onlyRequest<T>(rpc);
        EXPECT_EQ("", server().lastError());
        return message;
    }
    template <typename Reply>
    void replyWith(const std::string &rpc, int retCode) {
        Reply reply;
        reply.set_retcode(retCode);
        server().setReply(rpc, reply);
    }

private:
    static inline RecordingServer *server_ = nullptr;
};

}  // namespace trvns_test

#endif
