// One administrator's session through the real program, library and
// plug-in against the real server.
#include <syslog.h>

#include "server_fixture.h"
#include "syslog_capture.h"

namespace trvns_test {
namespace {

class Scenario : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        copyFile(TRVNS_PLUGIN_FILE, "/opt/brenvik/qtrvns/plugins/libremoteops.so");
        writeFile(kClientConfig, "[nsserver]\nhost = 127.0.0.1\nport = " + std::to_string(server_->port()) +
                                     "\ncertpath = " + TestPki::get().caCert + "\n");
        writeFile(kTreeConfig, "x7q.base.tree-name = MY_TREE\n");
        writeFile("/etc/opt/brenvik/qtrvns/uxr-users.conf", ".alice.org.MY_TREE. = 1001\n");
    }
    // Runs a command; expects its exit status and returns its stdout.
    std::string qtrvns(const std::vector<std::string> &args, int status = 0, const char *input = "") {
        RunResult result = runProgram(QTRVNS_MGMT, args, input);
        std::string line;
        for (const std::string &a : args) line += " " + a;
        EXPECT_EQ(status, result.status) << "qtrvns-mgmt" << line << "\n" << result.out << result.err;
        return result.out;
    }
    static bool has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }
};

TEST_F(Scenario, AdministratorSession) {
    EXPECT_EQ("Namespace NS1 created Successfully.\n", qtrvns({"create", "-n", "NS1"}));
    EXPECT_EQ("Namespace NS2 created Successfully.\n", qtrvns({"create", "-n", "NS2"}));
    EXPECT_EQ("Creation of Namespace failed. Error:Namespace already exists with the given name.\n\n",
              qtrvns({"create", "-n", "NS1"}, 17));
    EXPECT_EQ(" Number of namespaces :2 \n NS1\n NS2\n", qtrvns({"list", "-n"}));

    qtrvns({"create", "-d", "/TRVNS/NS1/home"});
    qtrvns({"create", "-d", "/TRVNS/NS1/home/alice"});
    qtrvns({"create", "-d", "/TRVNS/NS1/project"});
    EXPECT_EQ("Creation of directory failed. Error:Not a directory or the directory path does not exist.\n",
              qtrvns({"create", "-d", "/TRVNS/NS1/none/x"}, 22));
    EXPECT_EQ("Successfully added the volume \"VOL1\"\n", qtrvns({"volume", "-a", "VOL1", "-s", "fs1", "-n", "NS1"}));
    for (int i = 0; i < 12; ++i) {
        qtrvns({"create", "-j", "-n", "j" + std::to_string(10 + i), "-d", "/TRVNS/NS1/home", "-v", "VOL1", "-t",
                "/d" + std::to_string(i)});
    }
    EXPECT_EQ(" Junction Target Info :\n /TRVNS/NS1/home/j10 --> \033[32m fs1/VOL1/d0\n",
              qtrvns({"gettarget", "-p", "/TRVNS/NS1/home/j10"}));

    std::string listing = qtrvns({"list", "-p", "/TRVNS/NS1/home"});
    EXPECT_TRUE(has(listing, "Element count: 13\n"));
    EXPECT_TRUE(has(listing, "\033[34m alice/ \033[0m\n"));
    EXPECT_TRUE(has(listing, "\033[32m j21  \033[0m\n"));

    std::string page = qtrvns({"lj", "-n", "NS1", "-p", "2", "-s", "5"});
    EXPECT_TRUE(has(page, "Showing page 2 of 3 [Page size = 5] with total number of junctions: 12\n")) << page;
    EXPECT_TRUE(has(page, " | 6      | /TRVNS/NS1/home      | j15"));
    EXPECT_TRUE(has(qtrvns({"lj", "-n", "NS1", "-p", "4", "-s", "5"}, 256 - 301 % 256),
                    "Incorrect/out of range value specified for page number or page size."));

    qtrvns({"rename", "-o", "/TRVNS/NS1/home/j21", "-n", "docs"});
    qtrvns({"move", "-s", "/TRVNS/NS1/home/docs", "-t", "/TRVNS/NS1/project"});
    EXPECT_EQ("Move operation failed. Error:Contains invalid parameters.\n",
              qtrvns({"move", "-s", "/TRVNS/NS1/home", "-t", "/TRVNS/NS1/home/alice"}, 122));

    EXPECT_EQ("Trustee .alice.org.MY_TREE. granted rights on /TRVNS/NS1/home/alice successfully!\n",
              qtrvns({"trustee", "-g", "-p", "/TRVNS/NS1/home/alice", "-t", "alice.org"}));
    EXPECT_EQ("Trustee grant operation failed. Error:The user is already a trustee on the object.\n",
              qtrvns({"trustee-grant", "-p", "/TRVNS/NS1/home/alice", "-t", ".alice.org.MY_TREE."}, 5));
    EXPECT_TRUE(has(qtrvns({"trustee-list", "-p", "/TRVNS/NS1/home/alice"}), "  name:.alice.org.MY_TREE.\n"));
    std::string aliceView = qtrvns({"list", "-p", "/TRVNS/NS1/home", "-u", "alice.org"});
    EXPECT_TRUE(has(aliceView, "Element count: 1\n")) << aliceView;
    EXPECT_TRUE(has(aliceView, " alice/ "));
    qtrvns({"trustee", "-r", "-p", "/TRVNS/NS1/home/alice", "-t", "alice.org"});
    EXPECT_TRUE(has(qtrvns({"list", "-p", "/TRVNS/NS1/home", "-u", "alice.org"}), "Element count: 0\n"));

    EXPECT_EQ("Delete or remove operation failed. Error:Operation not permitted.\n",
              qtrvns({"delete", "-p", "/TRVNS/NS1/home"}, 5));
    EXPECT_EQ("Deletion of  /TRVNS/NS1/project/docs is successful!\n",
              qtrvns({"delete", "-p", "/TRVNS/NS1/project/docs"}));

    qtrvns({"set-cifs-attr", "-n", "NS1", "-u", "0", "-a", "browsable=yes"});
    EXPECT_TRUE(has(qtrvns({"get-cifs-attr", "-n", "NS1", "-u", "0"}), "cifs attrs is :browsable=yes\n"));
    EXPECT_EQ("Successfully modified the volume name from \"VOL1\" to \"VOL2\"\n",
              qtrvns({"volume", "-m", "VOL1", "-n", "VOL2"}));
    EXPECT_EQ("Remove volume failed. Error: No record found for the given volume.\n",
              qtrvns({"volume", "-r", "VOL1"}, 129));
    EXPECT_EQ("Successfully removed the volume \"VOL2\"\n", qtrvns({"volume", "-r", "VOL2"}));

    qtrvns({"deletenamespace", "-u", "0", "-n", "NS2"});
    EXPECT_EQ(" Number of namespaces :1 \n NS1\n", qtrvns({"list", "-n"}));
    qtrvns({"salvagenamespace", "-u", "0", "-n", "NS2"});
    EXPECT_EQ(" Number of namespaces :2 \n NS1\n NS2\n", qtrvns({"list", "-n"}));
    EXPECT_TRUE(has(qtrvns({"purge", "-n", "NS1"}, 0, "yes\n"), "Purge operation on NS1 completed Successfully!\n"));
    EXPECT_EQ(" Number of namespaces :1 \n NS2\n", qtrvns({"list-namespaces"}));
}

// A name glued to "/TRVNS" is a typo: "/TRVNSPT/keep" is refused as a path
// without the prefix, with the library's log lines, and never reaches
// /TRVNS/PT/keep.
TEST_F(Scenario, PrefixGluedToANameIsRefused) {
    static SyslogCapture programLog;
    qtrvns({"create", "-n", "PT"});
    qtrvns({"create", "-d", "/TRVNS/PT/keep"});
    qtrvns({"create", "-d", "/TRVNS/PT/other"});
    const std::string listing = qtrvns({"list", "-p", "/TRVNS/PT"});
    const std::string keepListing = qtrvns({"list", "-p", "/TRVNS/PT/keep"});
    struct Case {
        std::vector<std::string> args;
        std::string out;
        int status;
        const char *function;
    } cases[] = {
        {{"delete", "-p", "/TRVNSPT/keep"}, "Delete or remove operation failed. Error:Object does not exist.\n", 5,
         "TRVNS_MGMT_remove"},
        {{"rename", "-o", "/TRVNSPT/keep", "-n", "gone"}, "Rename operation failed. Error:Object does not exist.\n",
         5, "TRVNS_MGMT_rename"},
        {{"move", "-s", "/TRVNSPT/keep", "-t", "/TRVNS/PT/other"},
         "Move operation failed. Error:Object does not exist.\n", 256 - 11, "TRVNS_MGMT_move"},
        {{"create", "-d", "/TRVNSPT/keep/sub"}, "Creation of directory failed. Error:Object does not exist.\n", 5,
         "TRVNS_MGMT_createDirectory"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args[0]);
        programLog.clear();
        EXPECT_EQ(c.out, qtrvns(c.args, c.status));
        auto mismatch = programLog.find("Path prefix mismatch for '" + c.args[2] + "'");
        ASSERT_NE(nullptr, mismatch) << programLog.dump();
        EXPECT_EQ(LOG_WARNING, mismatch->priority);
        EXPECT_EQ(0u, mismatch->message.find("getTrimmedPath("));
        EXPECT_TRUE(programLog.contains(std::string(c.function) + "(")) << programLog.dump();
    }
    EXPECT_EQ(listing, qtrvns({"list", "-p", "/TRVNS/PT"}));
    EXPECT_EQ(keepListing, qtrvns({"list", "-p", "/TRVNS/PT/keep"}));
}

}  // namespace
}  // namespace trvns_test
