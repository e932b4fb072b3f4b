// Replacing the plug-in under a running library: the newest file's code is
// the one that runs, whatever way it was installed, a connected session
// stays on its plug-in, and files that are not safe to run are refused
// before anything of them is mapped.
#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "library_fixture.h"

namespace trvns_test {
namespace {

using namespace std::chrono_literals;

const char *const kMarkerPlugin[] = {nullptr, TEST_MARKER_PLUGIN_1, TEST_MARKER_PLUGIN_2, TEST_MARKER_PLUGIN_3,
                                     TEST_MARKER_PLUGIN_4};
constexpr char kConstructed[] = "/opt/brenvik/marker-plugins-constructed";

enum class Install { kRename, kCopyInPlace, kDeleteThenCreate };

const char *describe(Install how) {
    switch (how) {
    case Install::kRename: return "rename over";
    case Install::kCopyInPlace: return "copy in place";
    case Install::kDeleteThenCreate: return "delete, then create";
    }
    return "?";
}

void install(int marker, const std::string &name, Install how) {
    std::string installed = kPluginDir + name;
    switch (how) {
    case Install::kRename: installPlugin(kMarkerPlugin[marker], name); break;
    case Install::kCopyInPlace: copyFile(kMarkerPlugin[marker], installed); break;
    case Install::kDeleteThenCreate:
        removeFile(installed);
        copyFile(kMarkerPlugin[marker], installed);
        break;
    }
}

// Outside a session disconnect goes to the active plug-in; a marker
// plug-in answers with its marker.
int activeMarker() { return TRVNS_MGMT_disconnectTrvNS(); }

bool waitForMarker(int marker) {
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (activeMarker() != marker) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class PluginSwap : public LibraryTest {
protected:
    void TearDown() override {
        for (const char *name : {"swapped.so", "other.so"}) removeFile(kPluginDir + std::string(name));
        LibraryTest::TearDown();
    }
};

// Each step installs a marker plug-in one way and waits until the watcher
// made it active; once every event is handled it must still be the one.
// The same name comes back after another file was active, and by every way
// of installing it.
TEST_F(PluginSwap, TheLastFileWrittenIsTheActiveCode) {
    const struct {
        int marker;
        const char *name;
        Install how;
    } steps[] = {
        {1, "swapped.so", Install::kCopyInPlace},      {2, "other.so", Install::kRename},
        {3, "swapped.so", Install::kDeleteThenCreate}, {1, "swapped.so", Install::kRename},
        {2, "swapped.so", Install::kCopyInPlace},      {3, "other.so", Install::kCopyInPlace},
        {1, "swapped.so", Install::kCopyInPlace},      {2, "swapped.so", Install::kDeleteThenCreate},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(std::string(describe(step.how)) + " " + step.name + " with marker " +
                     std::to_string(step.marker));
        install(step.marker, step.name, step.how);
        ASSERT_TRUE(waitForMarker(step.marker)) << "active: " << activeMarker() << "\n" << log().dump();
        ASSERT_TRUE(waitForWatcherToCatchUp()) << log().dump();
        EXPECT_EQ(step.marker, activeMarker());
    }
}

// A direct load maps the bytes the file holds now, also for a name that was
// loaded before; cutting the file short in place leaves the code that was
// loaded from it running.
TEST_F(PluginSwap, LoadingANameAgainMapsItsCurrentBytes) {
    std::string installed = kPluginDir + std::string("swapped.so");
    for (int marker : {1, 2, 3, 1}) {
        install(marker, "swapped.so", Install::kCopyInPlace);
        ASSERT_EQ(0, loadPlugin("swapped.so")) << log().dump();
        EXPECT_EQ(marker, activeMarker());
    }
    ASSERT_EQ(0, truncate(installed.c_str(), 0));
    EXPECT_EQ(1, activeMarker());
    EXPECT_EQ(1, TRVNS_MGMT_createDirectory("/TRVNS/ns1/d", 0));
    EXPECT_EQ(-1, loadPlugin("swapped.so"));
    EXPECT_EQ(1, activeMarker());
    ASSERT_TRUE(waitForWatcherToCatchUp()) << log().dump();
}

// Between connect and disconnect every call goes to the plug-in connect
// used, even when a newer one became active meanwhile; the next connect
// starts on the newer one.
TEST_F(PluginSwap, ASessionStaysOnThePluginItConnectedWith) {
    install(1, "swapped.so", Install::kRename);
    ASSERT_TRUE(waitForMarker(1)) << log().dump();
    ASSERT_EQ(0, TRVNS_MGMT_connectTrvNS());
    install(2, "other.so", Install::kRename);
    ASSERT_EQ(0, loadPlugin("other.so"));
    EXPECT_EQ(1, TRVNS_MGMT_createDirectory("/TRVNS/ns1/d", 0));
    EXPECT_EQ(1, TRVNS_MGMT_remove("/TRVNS/ns1/d", 0));
    EXPECT_EQ(1, TRVNS_MGMT_disconnectTrvNS());

    ASSERT_TRUE(waitForWatcherToCatchUp()) << log().dump();
    ASSERT_EQ(0, TRVNS_MGMT_connectTrvNS());
    EXPECT_EQ(2, TRVNS_MGMT_createDirectory("/TRVNS/ns1/d", 0));
    EXPECT_EQ(2, TRVNS_MGMT_disconnectTrvNS());
}

// The recording plug-ins show the same for the arguments: the session's
// plug-in gets the whole command, the new one nothing of it.
TEST_F(PluginSwap, ASwapBetweenConnectAndOperationLeavesTheCommandOnItsPlugin) {
    ASSERT_EQ(0, TRVNS_MGMT_connectTrvNS());
    ASSERT_EQ(0, loadPlugin(kPluginB));
    EXPECT_EQ(0, TRVNS_MGMT_remove("/TRVNS/ns1/dir1", 0));
    EXPECT_EQ(0, TRVNS_MGMT_disconnectTrvNS());
    auto calls = pluginA().takeCalls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ("connect", calls[0].slot);
    EXPECT_EQ("remove", calls[1].slot);
    EXPECT_EQ((std::vector<std::string>{"0", "/ns1/dir1", "0"}), calls[1].args);
    EXPECT_EQ("disconnect", calls[2].slot);
    EXPECT_TRUE(pluginB().takeCalls().empty());
    EXPECT_EQ("b", activePluginId());
}

// A program's library watches the plug-in directory only a moment after it
// started (a short command never pays for a watch at exit); what is
// installed before then is still loaded, as is what comes after.
TEST_F(PluginSwap, AProgramLoadsWhatIsInstalledBeforeAndAfterItsWatchBegins) {
    const struct {
        const char *what;
        bool existedBefore;
        int delayMs;
    } cases[] = {
        {"created at once", false, 0},
        {"copied in place at once", true, 0},
        {"created later", false, 600},
        {"copied in place later", true, 600},
    };
    const std::string installed = kPluginDir + std::string("swapped.so");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        removeFile(installed);
        if (c.existedBefore) copyFile(TEST_MARKER_PLUGIN_1, installed);
        RunResult result = runProgram(TRVNS_PROBE, {"install", TEST_MARKER_PLUGIN_2, "swapped.so",
                                                    std::to_string(c.delayMs), "2"});
        EXPECT_EQ(0, result.status) << result.err;
        EXPECT_EQ("active=2\n", result.out) << log().dump();
    }
    ASSERT_TRUE(waitForWatcherToCatchUp()) << log().dump();
}

bool constructorRan() { return access(kConstructed, F_OK) == 0; }

// Every file that root or this user did not alone control (the file, its
// folder or a folder above it) is refused before it is mapped: logged at error priority with its path and reason, its
// constructor never runs and the active plug-in stays.
TEST_F(PluginSwap, UnsafeFilesAreRefusedBeforeTheyAreMapped) {
    const std::string staged = "/opt/brenvik/unsafe.so";
    const std::string dir = kPluginDir;
    const struct {
        const char *what;
        const char *name;
        const char *reason;
        void (*prepare)(const std::string &staged, const std::string &installed);
    } cases[] = {
        {"mode 666", "mode666.so", "writable by its group or by others",
         [](const std::string &s, const std::string &i) {
             chmod(s.c_str(), 0666);
             rename(s.c_str(), i.c_str());
         }},
        {"mode 620", "mode620.so", "writable by its group or by others",
         [](const std::string &s, const std::string &i) {
             chmod(s.c_str(), 0620);
             rename(s.c_str(), i.c_str());
         }},
        {"owned by nobody", "nobody.so", "owned by a user other than root or the effective user",
         [](const std::string &s, const std::string &i) {
             if (chown(s.c_str(), 65534, 65534) != 0) ADD_FAILURE() << "chown";
             rename(s.c_str(), i.c_str());
         }},
        {"directory of mode 777", "in-open-dir.so", "folder /opt/brenvik/qtrvns/plugins is writable by its group or by others",
         [](const std::string &s, const std::string &i) {
             chmod(kPluginDir, 0777);
             rename(s.c_str(), i.c_str());
         }},
        {"directory owned by nobody", "in-nobodys-dir.so",
         "folder /opt/brenvik/qtrvns/plugins is owned by a user other than root or the effective user",
         [](const std::string &s, const std::string &i) {
             if (chown(kPluginDir, 65534, 65534) != 0) ADD_FAILURE() << "chown";
             rename(s.c_str(), i.c_str());
         }},
        {"a folder above of mode 775", "under-group-dir.so", "folder /opt/brenvik is writable by its group or by others",
         [](const std::string &s, const std::string &i) {
             chmod("/opt/brenvik", 0775);
             rename(s.c_str(), i.c_str());
         }},
        {"a sticky folder above of mode 1777", "under-sticky-dir.so",
         "folder /opt/brenvik/qtrvns is writable by its group or by others",
         [](const std::string &s, const std::string &i) {
             chmod("/opt/brenvik/qtrvns", 01777);
             rename(s.c_str(), i.c_str());
         }},
        {"a folder above owned by nobody", "under-nobodys-dir.so",
         "folder /opt/brenvik is owned by a user other than root or the effective user",
         [](const std::string &s, const std::string &i) {
             if (chown("/opt/brenvik", 65534, 65534) != 0) ADD_FAILURE() << "chown";
             rename(s.c_str(), i.c_str());
         }},
        {"link to a world-writable file", "link.so", "writable by its group or by others",
         [](const std::string &s, const std::string &i) {
             chmod(s.c_str(), 0666);
             if (symlink(s.c_str(), i.c_str()) != 0) ADD_FAILURE() << "symlink";
         }},
        {"FIFO", "fifo.so", "not a regular file",
         [](const std::string &, const std::string &i) {
             if (mkfifo(i.c_str(), 0644) != 0) ADD_FAILURE() << "mkfifo";
         }},
        {"over the size bound", "huge.so", "larger than 256 MiB",
         [](const std::string &s, const std::string &i) {
             if (truncate(s.c_str(), (off_t{256} << 20) + 1) != 0) ADD_FAILURE() << "truncate";  // sparse
             rename(s.c_str(), i.c_str());
         }},
    };

    // The same file installed safely does run its constructor. (Marker 4
    // serves this test alone: a snapshot that was loaded before would be
    // taken again, without running constructors.)
    removeFile(kConstructed);
    install(4, "swapped.so", Install::kRename);
    ASSERT_TRUE(waitForMarker(4)) << log().dump();
    ASSERT_TRUE(constructorRan());
    ASSERT_EQ(0, loadPlugin(kPluginA));

    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::string installed = dir + c.name;
        removeFile(kConstructed);
        copyFile(TEST_MARKER_PLUGIN_4, staged);
        log().clear();
        c.prepare(staged, installed);
        std::string line = "refusing plug-in " + installed + ": " + c.reason;
        EXPECT_TRUE(log().waitFor(line)) << log().dump();  // by the watcher
        EXPECT_EQ(-1, loadPlugin(c.name));
        auto found = log().find(line);
        ASSERT_NE(nullptr, found) << log().dump();
        EXPECT_EQ(LOG_ERR, found->priority);
        EXPECT_EQ(0u, found->message.find("loadPlugin("));
        EXPECT_FALSE(constructorRan());
        EXPECT_EQ("a", activePluginId());
        removeFile(installed);
        removeFile(staged);
        for (const char *folder : {"/opt/brenvik", "/opt/brenvik/qtrvns", kPluginDir}) {
            chmod(folder, 0755);
            if (chown(folder, 0, 0) != 0) ADD_FAILURE() << "chown " << folder;
        }
    }
    ASSERT_TRUE(waitForWatcherToCatchUp()) << log().dump();
    EXPECT_FALSE(constructorRan());
}

}  // namespace
}  // namespace trvns_test
