// Plug-in loading, hot reload through the watcher, connect and disconnect,
// and what a freshly started program sees.
#include <sys/stat.h>
#include <syslog.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "library_fixture.h"

namespace trvns_test {
namespace {

using namespace std::chrono_literals;

TEST_F(LibraryTest, LoadPluginMakesTheFileActive) {
    EXPECT_EQ("a", activePluginId());
    EXPECT_EQ(0, loadPlugin(kPluginB));
    EXPECT_EQ("b", activePluginId());
}

TEST_F(LibraryTest, FailedLoadKeepsThePreviousPlugin) {
    EXPECT_EQ(-1, loadPlugin("no-such-plugin.so"));
    auto line = log().find("dlopen(/opt/brenvik/qtrvns/plugins/no-such-plugin.so) failed: ");
    ASSERT_NE(nullptr, line) << log().dump();
    EXPECT_EQ(LOG_ERR, line->priority);
    EXPECT_EQ(0u, line->message.find("loadPlugin("));
    EXPECT_EQ("a", activePluginId());
}

TEST_F(LibraryTest, SharedObjectWithoutEntryIsRefused) {
    copyFile(TEST_NO_ENTRY_OBJECT, "/opt/brenvik/no-entry.so");
    ASSERT_EQ(0, rename("/opt/brenvik/no-entry.so", "/opt/brenvik/qtrvns/plugins/no-entry.so"));
    ASSERT_TRUE(log().waitFor("dlsym(getMgmtPluginOps) failed: ")) << log().dump();
    EXPECT_EQ(-1, loadPlugin("no-entry.so"));
    EXPECT_EQ("a", activePluginId());
    removeFile("/opt/brenvik/qtrvns/plugins/no-entry.so");
}

TEST_F(LibraryTest, WatcherLoadsACopiedPlugin) {
    copyFile(TEST_PLUGIN_B, "/opt/brenvik/qtrvns/plugins/copied_b.so");
    TestPluginState &copied = pluginB();  // the copy is plug-in b's code
    copied.reset();
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (TRVNS_MGMT_disconnectTrvNS() == 0 && copied.takeCalls().empty()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "copied plug-in never became active";
        std::this_thread::sleep_for(10ms);
    }
    // The remaining events of the copy must not reload it during the next test.
    ASSERT_TRUE(waitForWatcherToCatchUp()) << log().dump();
    removeFile("/opt/brenvik/qtrvns/plugins/copied_b.so");
}

TEST_F(LibraryTest, TextFileOrFolderDoesNotDisplaceThePlugin) {
    writeFile("/opt/brenvik/qtrvns/plugins/notes.so", "not a plug-in\n");
    ASSERT_TRUE(log().waitFor("dlopen(/opt/brenvik/qtrvns/plugins/notes.so) failed")) << log().dump();
    ASSERT_EQ(0, mkdir("/opt/brenvik/qtrvns/plugins/subdir.so", 0755));
    writeFile("/opt/brenvik/qtrvns/plugins/marker.so", "x");
    ASSERT_TRUE(log().waitFor("plugins/marker.so) failed"));
    EXPECT_FALSE(log().contains("plugins/subdir")) << log().dump();
    EXPECT_EQ("a", activePluginId());
    removeFile("/opt/brenvik/qtrvns/plugins/notes.so");
    removeFile("/opt/brenvik/qtrvns/plugins/marker.so");
    rmdir("/opt/brenvik/qtrvns/plugins/subdir.so");
}

// Only "NAME.so" files are plug-ins: a working plug-in left beside the
// active one under a backup's, a hidden file's or an installer's temporary
// name is never loaded, however it got there, and loading it by name is
// refused with a log line.
TEST_F(LibraryTest, OnlyFilesNamedAsPluginsAreLoaded) {
    const char *const names[] = {
        "libremoteops.so.bak", "libremoteops.so~",        "libremoteops.so.dpkg-new", "libremoteops.so.dpkg-tmp",
        ".libremoteops.so",    ".libremoteops.so.Xy12Ab", "libremoteops.so.1",        "plugin_b.txt",
        "libremoteops.bak",    ".so",
    };
    for (const char *name : names) {
        SCOPED_TRACE(name);
        std::string installed = std::string(kPluginDir) + name;
        copyFile(TEST_PLUGIN_B, installed);  // written in place
        installPlugin(TEST_PLUGIN_B, name);  // and renamed into place
    }
    ASSERT_TRUE(waitForWatcherToCatchUp()) << log().dump();
    std::this_thread::sleep_for(700ms);  // past the time a file takes to settle
    ASSERT_TRUE(waitForWatcherToCatchUp()) << log().dump();
    EXPECT_EQ("a", activePluginId());
    for (const char *name : names) {
        SCOPED_TRACE(name);
        std::string installed = std::string(kPluginDir) + name;
        EXPECT_FALSE(log().contains(installed)) << log().dump();
        EXPECT_EQ(-1, loadPlugin(name));
        auto line = log().find("refusing plug-in " + installed + ": not a plug-in file name (NAME.so, not hidden)");
        ASSERT_NE(nullptr, line) << log().dump();
        EXPECT_EQ(LOG_ERR, line->priority);
        removeFile(installed);
    }
    EXPECT_EQ(-1, loadPlugin("../plugins/plugin_b.so"));  // never leads out of the directory
    EXPECT_EQ("a", activePluginId());
    // The same file under a plug-in's name is loaded.
    installPlugin(TEST_PLUGIN_B, "plugin-b-copy.so");
    EXPECT_TRUE(waitForActivePlugin("b")) << log().dump();
    removeFile(std::string(kPluginDir) + "plugin-b-copy.so");
}

// A plug-in written slowly, chunk by chunk, is loaded once its writer is
// done, not tried on every write meanwhile.
TEST_F(LibraryTest, APluginBeingWrittenIsLoadedOnceItIsWhole) {
    std::string image = readFile(TEST_PLUGIN_B);
    std::string installed = std::string(kPluginDir) + "slow.so";
    {
        std::ofstream out(installed, std::ios::binary | std::ios::trunc);
        for (size_t at = 0; at < image.size(); at += 4096) {
            out.write(image.data() + at, static_cast<std::streamsize>(std::min<size_t>(4096, image.size() - at)));
            out.flush();
            std::this_thread::sleep_for(2ms);
        }
    }
    EXPECT_TRUE(waitForActivePlugin("b")) << log().dump();
    ASSERT_TRUE(waitForWatcherToCatchUp()) << log().dump();
    EXPECT_FALSE(log().contains("slow.so) failed")) << log().dump();
    EXPECT_EQ("b", activePluginId());
    removeFile(installed);
}

// A plug-in caught part-way through being copied in is refused before
// dlopen, whichever of its headers or segments is still missing: dlopen
// would map past the end of a file that grows meanwhile and fault.
TEST_F(LibraryTest, IncompletePluginFileIsNotMapped) {
    std::string image = readFile(TEST_PLUGIN_B);
    const struct {
        const char *name;
        size_t length;
    } cuts[] = {
        {"empty.so", 0},            // just created
        {"magic-only.so", 3},       // ELF magic not even complete
        {"half-header.so", 40},     // ELF header cut short
        {"half-phdrs.so", 100},     // program headers cut short
        {"half-segments.so", 5000}, // loadable segments cut short
    };
    for (const auto &cut : cuts) {
        SCOPED_TRACE(cut.name);
        std::string staged = std::string("/opt/brenvik/") + cut.name;
        std::string installed = std::string("/opt/brenvik/qtrvns/plugins/") + cut.name;
        writeFile(staged, image.substr(0, cut.length));
        ASSERT_EQ(0, rename(staged.c_str(), installed.c_str()));
        ASSERT_TRUE(log().waitFor("dlopen(" + installed + ") failed: file is incomplete")) << log().dump();
        EXPECT_EQ("a", activePluginId());
        removeFile(installed);
    }
}

TEST_F(LibraryTest, ReloadWaitsForTheOperationInFlight) {
    {
        std::lock_guard<std::mutex> lock(pluginA().mutex);
        pluginA().blockSlot = "createDirectory";
        pluginA().statuses["createDirectory"] = 117;
    }
    std::atomic<int> status{-999};
    std::thread operation([&] { status = TRVNS_MGMT_createDirectory("/TRVNS/ns1/slow", 0); });
    {
        std::unique_lock<std::mutex> lock(pluginA().mutex);
        pluginA().changed.wait(lock, [&] { return pluginA().blocked; });
    }
    std::atomic<bool> loaded{false};
    std::thread loader([&] {
        loadPlugin(kPluginB);
        loaded = true;
    });
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(loaded) << "the plug-in was replaced while a call was running in it";
    {
        std::lock_guard<std::mutex> lock(pluginA().mutex);
        pluginA().release = true;
    }
    pluginA().changed.notify_all();
    operation.join();
    loader.join();
    EXPECT_EQ(117, status);
    EXPECT_EQ("b", activePluginId());
}

TEST_F(LibraryTest, ConnectHandsTheConfiguredValuesToThePlugin) {
    writeFile(kClientConfig, "[nsserver]\nhost = ns.example.net\nport=7443\ncertpath = /etc/ca file.pem\n");
    pluginA().statuses["connect"] = 42;
    EXPECT_EQ(42, TRVNS_MGMT_connectTrvNS());
    auto calls = pluginA().takeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("connect", calls[0].slot);
    EXPECT_EQ((std::vector<std::string>{"ns.example.net", "7443", "/etc/ca file.pem"}), calls[0].args);
}

TEST_F(LibraryTest, ConnectWithoutCertpathReturns12AfterOneMessage) {
    writeFile(kClientConfig, "[nsserver]\nhost = h\nport = 1\n");
    EXPECT_EQ(12, TRVNS_MGMT_connectTrvNS());
    EXPECT_TRUE(pluginA().takeCalls().empty());
    EXPECT_EQ(1, log().count("config read failed")) << log().dump();
    EXPECT_TRUE(log().contains("config read failed - nsserver clientCertPath!"));
    EXPECT_TRUE(log().contains("Missing config values, cannot connect"));
    EXPECT_EQ(0u, log().find("Missing config values")->message.find("connectTrvNS("));
}

TEST_F(LibraryTest, ConnectWithoutConfigurationFileReportsAllThreeKeys) {
    removeFile(kClientConfig);
    EXPECT_EQ(12, TRVNS_MGMT_connectTrvNS());
    EXPECT_EQ(3, log().count("config read failed")) << log().dump();
    EXPECT_TRUE(log().contains("config read failed - nsserver host!"));
    EXPECT_TRUE(log().contains("config read failed - nsserver port!"));
}

TEST_F(LibraryTest, WithoutPluginConnectAndDisconnectReturnMinus12) {
    unloadPlugin();
    removeFile(kClientConfig);
    EXPECT_EQ(-12, TRVNS_MGMT_connectTrvNS());
    EXPECT_EQ(-12, TRVNS_MGMT_disconnectTrvNS());
    EXPECT_EQ(2, log().count("plugin is not yet loaded!"));
    EXPECT_FALSE(log().contains("config read failed"));  // configuration not read
}

TEST_F(LibraryTest, DisconnectPassesThePluginStatus) {
    pluginA().statuses["disconnect"] = 3;
    EXPECT_EQ(3, TRVNS_MGMT_disconnectTrvNS());
}

// A fresh program: the default plug-in is loaded at library start.
TEST_F(LibraryTest, ProgramStartLoadsTheDefaultPlugin) {
    writeFile(kServerConfig, "[logger]\nlog-level = debug\n");
    RunResult result = run(std::string(TRVNS_PROBE) + " remove /TRVNS/ns1/dir1");
    EXPECT_EQ(0, result.status) << result.err;
    // The probe's plug-in is a fresh copy in another process: it passes.
    EXPECT_EQ("connect=0\nremove=0\ndisconnect=0\n", result.out);
    ASSERT_TRUE(log().waitFor("mgmtapi library loaded")) << log().dump();
    EXPECT_TRUE(log().waitFor("Unloading mgmtapi library"));
    removeFile(kServerConfig);
}

TEST_F(LibraryTest, ProgramStartWithoutPluginDirectory) {
    ASSERT_EQ(0, rename("/opt/brenvik/qtrvns/plugins", "/opt/brenvik/qtrvns/plugins.away"));
    RunResult result = run(TRVNS_PROBE);
    ASSERT_EQ(0, rename("/opt/brenvik/qtrvns/plugins.away", "/opt/brenvik/qtrvns/plugins"));
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("connect=-12\n", result.out);
    EXPECT_TRUE(log().waitFor("dlopen(/opt/brenvik/qtrvns/plugins/libremoteops.so) failed")) << log().dump();
    EXPECT_TRUE(log().waitFor("startPluginWatcher("));
    EXPECT_TRUE(log().contains("plugin is not yet loaded!"));
}

TEST_F(LibraryTest, UnloadingTheLibraryStopsTheWatcher) {
    RunResult result = run(std::string(TRVNS_DLCLOSE_PROBE) + " " + TRVNS_MGMT_LIBRARY);
    removeFile("/opt/brenvik/qtrvns/plugins/after-unload.txt");
    EXPECT_EQ(0, result.status) << result.out << result.err;
    EXPECT_EQ("connect=0\nsurvived\n", result.out);
}

}  // namespace
}  // namespace trvns_test
