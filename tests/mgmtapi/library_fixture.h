// Shared setup of the library tests: the syslog capture, the two recording
// plug-ins installed in the plug-in directory, and a client configuration.
#ifndef TRVNS_TEST_LIBRARY_FIXTURE_H
#define TRVNS_TEST_LIBRARY_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "syslog_capture.h"
#include "test_files.h"
#include "test_plugin.h"
#include "trvns_mgmt.h"

namespace trvns_test {

constexpr char kPluginA[] = "libremoteops.so";  // the default plug-in name
constexpr char kPluginB[] = "plugin_b.so";

SyslogCapture &syslogCapture();

// Installs a file into the plug-in directory in one step (rename), so the
// watcher sees exactly one event for it.
void installPlugin(const std::string &builtFile, const std::string &name);
// The recording state of the test plug-in with this id ("a" or "b"),
// shared by every copy of it.
TestPluginState &pluginState(const std::string &id);
// Id ("a"/"b") of the active plug-in, "none" when there is none.
std::string activePluginId();
bool waitForActivePlugin(const std::string &id);
// Returns once the watcher has handled every event queued before the call:
// it installs a text file and waits for the watcher's failed load of it.
bool waitForWatcherToCatchUp();

constexpr char kDefaultClientConfig[] =
    "[nsserver]\nhost = 127.0.0.1\nport = 50051\ncertpath = /etc/opt/brenvik/qtrvns/ca.pem\n";

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TestPluginState &pluginA() { return pluginState("a"); }
    TestPluginState &pluginB() { return pluginState("b"); }
    SyslogCapture &log() { return syslogCapture(); }
};

}  // namespace trvns_test

#endif
