// The loaded plug-in under test, its operations table and a recording
// server it is connected to.
#ifndef TRVNS_TEST_PLUGIN_FIXTURE_H
#define TRVNS_TEST_PLUGIN_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "recording_server.h"
#include "syslog_capture.h"
#include "test_files.h"
#include "trvns_mgmt.h"

namespace trvns_test {

SyslogCapture &syslogCapture();

class PluginTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    static const trvns_mgmtPluginOps &ops() { return *ops_; }
    static RecordingServer &server() { return *server_; }
    static void *pluginHandle() { return handle_; }
    SyslogCapture &log() { return syslogCapture(); }
    // Connects the plug-in to the recording server (or as configured).
    int32_t connectTo(const std::string &host, const std::string &port, const std::string &certPath);

    void captureStdout() { ::testing::internal::CaptureStdout(); }
    std::string capturedStdout() {
        fflush(stdout);
        return ::testing::internal::GetCapturedStdout();
    }

private:
    static void *handle_;
    static trvns_mgmtPluginOps *ops_;
    static RecordingServer *server_;
};

}  // namespace trvns_test

#endif
