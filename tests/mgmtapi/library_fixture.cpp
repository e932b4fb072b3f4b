#include "library_fixture.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace trvns_test {

SyslogCapture &syslogCapture() {
    static SyslogCapture capture;
    return capture;
}

void installPlugin(const std::string &builtFile, const std::string &name) {
    std::string staged = std::string("/opt/brenvik/.staged-") + name;
    copyFile(builtFile, staged);
    if (rename(staged.c_str(), (std::string(kPluginDir) + name).c_str()) != 0) {
        throw std::runtime_error("cannot install plug-in " + name);
    }
}

TestPluginState &pluginState(const std::string &id) { return *trvnsTestPluginState(id.c_str()); }

std::string activePluginId() {
    TestPluginState &a = pluginState("a");
    TestPluginState &b = pluginState("b");
    a.takeCalls();
    b.takeCalls();
    if (TRVNS_MGMT_disconnectTrvNS() == -12) return "none";
    if (!a.takeCalls().empty()) return "a";
    if (!b.takeCalls().empty()) return "b";
    return "other";
}

bool waitForActivePlugin(const std::string &id) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (activePluginId() != id) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool waitForWatcherToCatchUp() {
    static int round = 0;
    // Named as a plug-in, or the watcher would not look at it.
    std::string name = "catch-up-" + std::to_string(++round) + ".so";
    std::string staged = "/opt/brenvik/" + name;
    std::string installed = std::string(kPluginDir) + name;
    writeFile(staged, "not a plug-in\n");
    bool seen = rename(staged.c_str(), installed.c_str()) == 0 &&
                syslogCapture().waitFor("dlopen(" + installed + ") failed");
    removeFile(installed);
    return seen;
}

void LibraryTest::SetUp() {
    unloadPlugin();  // ends a session a test left connected
    ASSERT_EQ(0, loadPlugin(kPluginA));
    pluginA().reset();
    pluginB().reset();
    writeFile(kClientConfig, kDefaultClientConfig);
    setConfigFile(kClientConfig);
    log().clear();
}

void LibraryTest::TearDown() {
    pluginA().reset();
    pluginB().reset();
}

}  // namespace trvns_test

extern "C" __attribute__((visibility("default"))) TestPluginState *trvnsTestPluginState(const char *id) {
    static std::mutex mutex;
    static std::map<std::string, TestPluginState> *states = new std::map<std::string, TestPluginState>;
    std::lock_guard<std::mutex> lock(mutex);
    return &(*states)[id];
}
