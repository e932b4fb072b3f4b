// Deadlines, the logged cause of failed calls and the texts that are never
// sent.  The optional settings reach the plug-in through the host's
// configuration reader, which this test program provides itself.
#include <syslog.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "call_report.h"
#include "client_settings.h"
#include "plugin_fixture.h"

namespace {

// [nsserver] of the host's configuration, as the plug-in reads it.
std::map<std::string, std::string> &hostSettings() {
    static std::map<std::string, std::string> settings;
    return settings;
}

}  // namespace

// The library's reader, exported by this program (see tests/CMakeLists.txt).
extern "C" char *getConfigValue(const char *section, const char *key) {
    auto found = hostSettings().find(key);
    if (std::strcmp(section, "nsserver") != 0 || found == hostSettings().end()) return nullptr;
    return strdup(found->second.c_str());
}

namespace trvns_test {
namespace {

using namespace trvnamespace;
using std::chrono::milliseconds;

TEST(Utf8, OnlyWellFormedTextsPass) {
    struct Case {
        const char *text;
        bool valid;
    } cases[] = {
        {"/NS1/home", true},
        {"/NS1/caf\xc3\xa9", true},
        {"\xe2\x82\xac \xf0\x9f\x98\x80", true},
        {"\xf4\x8f\xbf\xbf", true},          // U+10FFFF
        {"/NS1/caf\xe9", false},            // Latin-1
        {"\xff", false},
        {"\x80", false},                    // continuation without a lead
        {"\xc0\x80", false},                // overlong NUL
        {"\xe0\x80\xaf", false},            // overlong '/'
        {"\xed\xa0\x80", false},            // surrogate
        {"\xf4\x90\x80\x80", false},        // above U+10FFFF
        {"\xe2\x82", false},                // cut short
        {"\xe2\x28\xa1", false},            // bad continuation
    };
    for (const Case &c : cases) {
        CreateFolderInput request;
        request.set_path(c.text);
        std::string field;
        EXPECT_EQ(c.valid, textsAreSendable(request, &field)) << c.text;
        EXPECT_EQ(c.valid ? "" : "path", field) << c.text;
    }
}

TEST(Timeout, SecondsWithDecimalsOrZero) {
    struct Case {
        const char *text;
        bool accepted;
        std::optional<milliseconds> deadline;
    } cases[] = {
        {"60", true, milliseconds(60000)},
        {"2.5", true, milliseconds(2500)},
        {"0.0001", true, milliseconds(1)},  // never rounded down to "none"
        {"0", true, std::nullopt},
        {"0.0", true, std::nullopt},
        {"-1", false, milliseconds(7)},
        {"soon", false, milliseconds(7)},
        {"5s", false, milliseconds(7)},
        {"", false, milliseconds(7)},
        {"inf", false, milliseconds(7)},
        {"nan", false, milliseconds(7)},
        {"1e12", false, milliseconds(7)},
    };
    for (const Case &c : cases) {
        std::optional<milliseconds> deadline = milliseconds(7);
        EXPECT_EQ(c.accepted, parseTimeout(c.text, &deadline)) << c.text;
        EXPECT_EQ(c.deadline, deadline) << c.text;
    }
}

TEST(Timeout, WithoutTheKeyCallsHaveSixtySecondsAndNoClientCertificate) {
    hostSettings().clear();
    ClientSettings settings = readClientSettings();
    EXPECT_EQ(std::optional<milliseconds>(milliseconds(60000)), settings.deadline);
    EXPECT_EQ("", settings.clientCert);
    EXPECT_EQ("", settings.clientKey);
    hostSettings() = {{"timeout", "0"}, {"clientcert", "/c.pem"}, {"clientkey", "/k.pem"}};
    settings = readClientSettings();
    EXPECT_EQ(std::nullopt, settings.deadline);
    EXPECT_EQ("/c.pem", settings.clientCert);
    EXPECT_EQ("/k.pem", settings.clientKey);
    hostSettings().clear();
}

class CallFailure : public PluginTest {
protected:
    void TearDown() override {
        hostSettings().clear();
        server().clear();
        PluginTest::TearDown();
    }
    // Connects again, with these host settings.
    void reconnectWith(std::map<std::string, std::string> settings) {
        ops().disconnect();
        hostSettings() = std::move(settings);
        ASSERT_EQ(0, connectTo("127.0.0.1", std::to_string(server().port()), TestPki::get().caCert));
    }
};

TEST_F(CallFailure, CallPastTheHostsTimeoutFailsWithItsStatus) {
    reconnectWith({{"timeout", "0.5"}});
    for (const char *rpc : {"CreateFolder", "ObjStat", "InitService"}) server().holdCalls(rpc);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(112, ops().createDirectory(0, "/NS1/home", 0));
    trvns_objStat_output obj{};
    EXPECT_EQ(-1, ops().objStat(0, "/NS1/home", &obj));
    trvns_initService_input init{1, nullptr, 0};
    EXPECT_EQ(-12, ops().initService(&init, nullptr));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    for (const char *rpc : {"CreateFolder", "ObjStat", "InitService"}) {
        EXPECT_EQ(1, log().count(std::string(rpc) +
                                 " failed: DEADLINE_EXCEEDED: Deadline Exceeded (no reply within 0.5 s)"))
            << log().dump();
    }
}

// A client whose server answered once waits for the connection when it
// finds it lost; one that never reached its server fails at once.
TEST_F(CallFailure, OnlyAServerThatAnsweredIsWaitedFor) {
    auto lost = std::make_unique<RecordingServer>();
    const std::string port = std::to_string(lost->port());
    ops().disconnect();
    hostSettings() = {{"timeout", "0.5"}};
    ASSERT_EQ(0, connectTo("127.0.0.1", port, TestPki::get().caCert));
    ASSERT_EQ(0, ops().createDirectory(0, "/NS1/home", 0));
    lost.reset();  // nothing listens there any more
    log().clear();
    // Waits for a reconnection within its deadline, in vain...
    EXPECT_EQ(112, ops().createDirectory(0, "/NS1/home", 0));
    EXPECT_EQ(1, log().count("CreateFolder failed: DEADLINE_EXCEEDED")) << log().dump();
    EXPECT_TRUE(log().contains("the server was not reached again within the timeout")) << log().dump();
    // ...and so the next call does not wait again.
    EXPECT_EQ(112, ops().createDirectory(0, "/NS1/home", 0));
    EXPECT_EQ(1, log().count("CreateFolder failed: UNAVAILABLE")) << log().dump();

    // A new client that never reached a server: every call fails at once.
    ops().disconnect();
    ASSERT_EQ(0, connectTo("127.0.0.1", port, TestPki::get().caCert));
    log().clear();
    for (int i = 0; i < 2; ++i) EXPECT_EQ(112, ops().createDirectory(0, "/NS1/home", 0));
    EXPECT_EQ(2, log().count("CreateFolder failed: UNAVAILABLE")) << log().dump();
    EXPECT_EQ(0, log().count("DEADLINE_EXCEEDED")) << log().dump();
}

TEST_F(CallFailure, TimeoutThatIsNotANumberKeepsTheDefault) {
    reconnectWith({{"timeout", "soon"}});
    auto line = log().find("config value nsserver timeout 'soon' is not a number of seconds, 60 s is used");
    ASSERT_NE(nullptr, line) << log().dump();
    EXPECT_EQ(LOG_ERR, line->priority);
    EXPECT_EQ(0, ops().createDirectory(0, "/NS1/home", 0));
}

TEST_F(CallFailure, FailedCallLogsRpcCodeAndMessage) {
    server().failCalls("DirStat");
    trvns_dirStat_output dir{};
    EXPECT_EQ(112, ops().dirStat(0, "/NS1", &dir));
    auto line = log().find("DirStat failed: UNAVAILABLE: scripted failure");
    ASSERT_NE(nullptr, line) << log().dump();
    EXPECT_EQ(LOG_ERR, line->priority);
}

TEST_F(CallFailure, TextsThatAreNotUtf8AreNeverSent) {
    char bad[] = "/NS1/caf\xe9";
    trvns_trustee trustee{bad, nullptr, 0, 1};
    trvns_objStat_output obj{};
    trvns_initService_input init{1, bad, 0};
    trvns_getNamespaces_input namespaces{1, 0, bad, 0};
    trvns_namespace_list list{};
    struct Case {
        const char *logLine;
        std::function<int32_t()> call;
    } cases[] = {
        {"CreateFolder not sent: path is not valid UTF-8", [&] { return ops().createDirectory(0, bad, 0); }},
        {"Rename not sent: newName is not valid UTF-8", [&] { return ops().rename(0, "/NS1/a", bad, 0); }},
        {"ObjStat not sent: nodeName is not valid UTF-8", [&] { return ops().objStat(0, bad, &obj); }},
        {"InitService not sent: principal is not valid UTF-8", [&] { return ops().initService(&init, nullptr); }},
        {"GetNamespaces not sent: server is not valid UTF-8",
         [&] { return ops().getNamespaces(&namespaces, &list); }},
        {"TrusteeGrant not sent: Trustee.name is not valid UTF-8",
         [&] { return ops().trusteeGrant(0, "/NS1/a", &trustee, 0); }},
    };
    for (const Case &c : cases) {
        log().clear();
        EXPECT_EQ(22, c.call()) << c.logLine;
        auto line = log().find(c.logLine);
        ASSERT_NE(nullptr, line) << log().dump();
        EXPECT_EQ(LOG_ERR, line->priority);
        EXPECT_EQ(0, log().count("failed:")) << log().dump();
    }
    EXPECT_TRUE(server().requests().empty());
}

}  // namespace
}  // namespace trvns_test
