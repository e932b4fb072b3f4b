#include "plugin_fixture.h"

#include <dlfcn.h>

namespace trvns_test {

void *PluginTest::handle_ = nullptr;
trvns_mgmtPluginOps *PluginTest::ops_ = nullptr;
RecordingServer *PluginTest::server_ = nullptr;

SyslogCapture &syslogCapture() {
    static SyslogCapture capture;
    return capture;
}

void PluginTest::SetUpTestSuite() {
    if (handle_ != nullptr) return;
    handle_ = dlopen(TRVNS_PLUGIN_FILE, RTLD_NOW | RTLD_NODELETE);
    ASSERT_NE(nullptr, handle_) << dlerror();
    auto entry = reinterpret_cast<trvns_getMgmtPluginOps_fn>(dlsym(handle_, "getMgmtPluginOps"));
    ASSERT_NE(nullptr, entry);
    ops_ = entry();
    server_ = new RecordingServer();  // lives as long as the process
}

int32_t PluginTest::connectTo(const std::string &host, const std::string &port, const std::string &certPath) {
    std::string h = host, p = port, c = certPath;
    trvns_clientConfig config{&h[0], &p[0], &c[0]};
    return ops().connect(&config);
}

void PluginTest::SetUp() {
    server().clear();
    ASSERT_EQ(0, connectTo("127.0.0.1", std::to_string(server().port()), TestPki::get().caCert));
    log().clear();
}

void PluginTest::TearDown() { ops().disconnect(); }

}  // namespace trvns_test
