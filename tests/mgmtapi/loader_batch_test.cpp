// The plug-in loader of a long-running program (qtrvns-mgmt --batch) and of
// one that runs where /proc is not mounted: the real program, library and
// plug-in against the real server.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "server_fixture.h"
#include "syslog_capture.h"

namespace trvns_test {
namespace {

using namespace std::chrono_literals;

constexpr char kInstalled[] = "/opt/brenvik/qtrvns/plugins/libremoteops.so";
constexpr char kConstructed[] = "/opt/brenvik/marker-plugins-constructed";

SyslogCapture &programLog() {
    static SyslogCapture capture;
    return capture;
}

// Installs `file` as the plug-in `name` the way package tools do: written
// beside the directory, then renamed over the old one.
void renameInstall(const std::string &file, const std::string &name) {
    std::string staged = "/opt/brenvik/.staged-" + name;
    copyFile(file, staged);
    ASSERT_EQ(0, std::rename(staged.c_str(), (kPluginDir + name).c_str()));
}

// Returns once the program's watcher has handled everything installed
// before: a text file named as a plug-in is installed and its failed load
// awaited.
bool watcherCaughtUp() {
    static int round = 0;
    std::string name = "catch-up-" + std::to_string(++round) + ".so";
    writeFile("/opt/brenvik/" + name, "not a plug-in\n");
    std::rename(("/opt/brenvik/" + name).c_str(), (kPluginDir + name).c_str());
    // A bound on a hang only: after a thousand installs a loaded machine
    // may take a while to work through the watcher's events.
    bool seen = programLog().waitFor("dlopen(" + std::string(kPluginDir) + name + ") failed", std::chrono::seconds(90));
    removeFile(kPluginDir + name);
    return seen;
}

// qtrvns-mgmt --batch reading its commands from a pipe that stays open, so
// the process lives as long as the test wants.
class LongBatch {
public:
    explicit LongBatch(const std::string &outFile) : outFile_(outFile) {
        int in[2];
        if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(in[0], 0);
            dup2(out, 1);
            dup2(out, 2);
            execl(QTRVNS_MGMT, QTRVNS_MGMT, "--batch", "-", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(in[0]);
        in_ = in[1];
    }
    ~LongBatch() {
        if (in_ >= 0) finish();
    }
    // Sends one command and waits until its output line `expect` appears.
    bool command(const std::string &line, const std::string &expect) {
        std::string text = line + "\n";
        if (write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return false;
        auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline) {
            std::string out = readFile(outFile_);
            if (out.find(expect, seen_) != std::string::npos) {
                seen_ = out.size();
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    int finish() {
        close(in_);
        in_ = -1;
        int status = -1;
        waitpid(pid_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    int openFiles() const {
        int count = 0;
        DIR *fds = opendir(("/proc/" + std::to_string(pid_) + "/fd").c_str());
        if (fds == nullptr) return -1;
        while (const dirent *entry = readdir(fds)) count += entry->d_name[0] != '.';
        closedir(fds);
        return count;
    }
    // How many private copies of plug-ins the process has mapped.
    size_t pluginCopies() const {
        std::ifstream maps("/proc/" + std::to_string(pid_) + "/maps");
        std::set<std::string> inodes;
        for (std::string line; std::getline(maps, line);) {
            if (line.find("/memfd:") == std::string::npos) continue;
            std::istringstream fields(line);
            std::string range, mode, offset, device, inode;
            fields >> range >> mode >> offset >> device >> inode;
            inodes.insert(inode);
        }
        return inodes.size();
    }

private:
    std::string outFile_;
    pid_t pid_ = -1;
    int in_ = -1;
    size_t seen_ = 0;
};

class LongRunningLoader : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        programLog().clear();
        copyFile(TRVNS_PLUGIN_FILE, kInstalled);
        writeFile(kClientConfig, "[nsserver]\nhost = 127.0.0.1\nport = " + std::to_string(server_->port()) +
                                     "\ncertpath = " + TestPki::get().caCert + "\n");
        ASSERT_EQ(0, createNamespace("NS1"));
        removeFile(kConstructed);
    }
    void TearDown() override {
        DIR *plugins = opendir(kPluginDir);
        while (const dirent *entry = plugins ? readdir(plugins) : nullptr) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") removeFile(kPluginDir + name);
        }
        if (plugins != nullptr) closedir(plugins);
        ServerTest::TearDown();
    }
};

// A batch that runs while plug-ins are installed over and over, by rename
// and in place, two builds taking turns, then a third written slowly: it
// keeps one copy of each build mapped and one descriptor for each, it never
// tries the slowly written file before it is whole, and its session carries
// on.
TEST_F(LongRunningLoader, ABatchKeepsOneCopyPerBuildThroughThousandsOfInstalls) {
    LongBatch batch(dir_ + "/batch.out");
    ASSERT_TRUE(batch.command("list -n", "NS1")) << readFile(dir_ + "/batch.out");
    ASSERT_TRUE(watcherCaughtUp()) << programLog().dump();
    int filesBefore = batch.openFiles();
    ASSERT_GT(filesBefore, 0);

    const std::string builds[] = {readFile(TEST_MARKER_PLUGIN_1), readFile(TEST_MARKER_PLUGIN_2)};
    for (int round = 0; round < 1000; ++round) {
        const std::string &build = builds[round % 2];
        if (round % 4 < 2) {
            writeFile("/opt/brenvik/.staged", build);
            ASSERT_EQ(0, std::rename("/opt/brenvik/.staged", kInstalled));
        } else {
            writeFile(kInstalled, build);
        }
        if (round % 100 == 99) std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(watcherCaughtUp()) << programLog().dump();

    programLog().clear();
    {
        std::string image = readFile(TEST_MARKER_PLUGIN_3);
        std::ofstream out(kInstalled, std::ios::binary | std::ios::trunc);
        for (size_t at = 0; at < image.size(); at += 4096) {
            out.write(image.data() + at, static_cast<std::streamsize>(std::min<size_t>(4096, image.size() - at)));
            out.flush();
            std::this_thread::sleep_for(2ms);
        }
    }
    ASSERT_TRUE(watcherCaughtUp()) << programLog().dump();
    EXPECT_FALSE(programLog().contains("libremoteops.so) failed")) << programLog().dump();

    // The session's copy and one of each marker build.
    EXPECT_EQ(4u, batch.pluginCopies());
    EXPECT_LE(batch.openFiles(), filesBefore + 3);
    EXPECT_TRUE(batch.command("list -n", "NS1"));
    EXPECT_EQ(0, batch.finish());
}

// Beside the installed plug-in, what administrators and installers leave
// there (a backup of the old build, a package tool's or an editor's
// temporary file) is never loaded by a running program: the marker build
// under those names never runs its constructor, under a plug-in's name it
// does.
TEST_F(LongRunningLoader, ABatchLoadsNoBackupOrTemporaryFile) {
    LongBatch batch(dir_ + "/batch.out");
    ASSERT_TRUE(batch.command("list -n", "NS1"));
    const char *const leftovers[] = {"libremoteops.so.bak", "libremoteops.so~", "libremoteops.so.dpkg-new",
                                     "libremoteops.so.dpkg-tmp", ".libremoteops.so.swp", ".#libremoteops.so"};
    for (const char *name : leftovers) {
        SCOPED_TRACE(name);
        copyFile(TEST_MARKER_PLUGIN_1, kPluginDir + std::string(name));
        renameInstall(TEST_MARKER_PLUGIN_1, name);
    }
    ASSERT_TRUE(watcherCaughtUp()) << programLog().dump();
    std::this_thread::sleep_for(700ms);  // past the time a file takes to settle
    ASSERT_TRUE(watcherCaughtUp()) << programLog().dump();
    EXPECT_NE(0, access(kConstructed, F_OK)) << readFile(kConstructed);

    renameInstall(TEST_MARKER_PLUGIN_1, "marker.so");
    ASSERT_TRUE(watcherCaughtUp()) << programLog().dump();
    EXPECT_EQ("1\n", readFile(kConstructed));
    EXPECT_EQ(0, batch.finish());
}

// A plug-in folder, or a folder above it, that someone other than root or
// this user controls: nothing in it is loaded, and the log names the folder.
TEST_F(LongRunningLoader, NothingIsLoadedFromAFolderOthersControl) {
    const struct {
        const char *folder;
        uid_t owner;
        mode_t mode;
        const char *reason;
    } cases[] = {
        {"/opt/brenvik/qtrvns/plugins", 65534, 0755, "owned by a user other than root or the effective user"},
        {"/opt/brenvik/qtrvns/plugins", 0, 0775, "writable by its group or by others"},
        {"/opt/brenvik/qtrvns", 65534, 0755, "owned by a user other than root or the effective user"},
        {"/opt/brenvik", 0, 0757, "writable by its group or by others"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder);
        programLog().clear();
        ASSERT_EQ(0, chown(c.folder, c.owner, 0));
        ASSERT_EQ(0, chmod(c.folder, c.mode));
        RunResult result = runProgram(QTRVNS_MGMT, {"list", "-n"});
        EXPECT_EQ(0, chown(c.folder, 0, 0));
        EXPECT_EQ(0, chmod(c.folder, 0755));
        EXPECT_NE(0, result.status);
        EXPECT_EQ(std::string::npos, result.out.find("NS1"));
        std::string line =
            "refusing plug-in " + std::string(kInstalled) + ": folder " + c.folder + " is " + c.reason;
        EXPECT_TRUE(programLog().waitFor(line)) << programLog().dump();
    }
    RunResult result = runProgram(QTRVNS_MGMT, {"list", "-n"});
    EXPECT_EQ(0, result.status) << result.out << result.err;
}

// Where /proc is not mounted (a bare chroot) the plug-in is loaded from a
// private copy in a folder of the process's own; where no folder for one
// is usable either, the log says so instead of blaming the installed file.
TEST_F(LongRunningLoader, APluginIsLoadedWithoutProc) {
#ifdef TRVNS_SANITIZE_BUILD
    GTEST_SKIP() << "the sanitizers' runtime needs /proc";
#endif
    // The build tree may lie in one of the folders masked below, so the
    // program runs from a view of it that stays in sight.
    const std::string viewBuild =
        "b=$(dirname \"$(dirname \"$0\")\") && v=/opt/brenvik/build-view && mkdir -p \"$v\" && "
        "mount --bind \"$b\" \"$v\" && p=\"$v/${0#\"$b\"/}\" && "
        "export LD_LIBRARY_PATH=\"$v/mgmtapi:$v/uxr\" && ";
    const std::string hideProc = viewBuild + "mount -t tmpfs -o mode=0755 no-proc /proc";
    const std::string noScratch =
        " && for d in /dev/shm /run /tmp /var/tmp; do mount -t tmpfs -o mode=0755,noexec no-exec \"$d\"; done";
    const struct {
        const char *what;
        std::string setup;
        bool loads;
    } cases[] = {
        {"without /proc", hideProc, true},
        {"without /proc or a usable scratch folder", hideProc + noScratch, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        programLog().clear();
        RunResult result = runProgram("/usr/bin/unshare", {"--mount", "--propagation", "private", "/bin/sh", "-c",
                                                           c.setup + " && exec \"$p\" list -n", QTRVNS_MGMT});
        if (c.loads) {
            EXPECT_EQ(0, result.status) << result.out << result.err << programLog().dump();
            EXPECT_NE(std::string::npos, result.out.find("NS1")) << result.out;
            EXPECT_FALSE(programLog().contains("failed")) << programLog().dump();
        } else {
            EXPECT_NE(0, result.status) << result.out;
            EXPECT_TRUE(programLog().waitFor("dlopen(" + std::string(kInstalled) +
                                             ") failed: cannot map a private copy: /proc/self/fd is not available"))
                << programLog().dump();
            EXPECT_FALSE(programLog().contains("cannot open shared object file")) << programLog().dump();
        }
    }
}

}  // namespace
}  // namespace trvns_test
