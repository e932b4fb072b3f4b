// The real program, library and plug-in against the real server while the
// plug-in is replaced over and over, every way an administrator might do
// it: renamed over, copied over in place, deleted and created again. No
// command may crash and none may fail.
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server_fixture.h"

namespace trvns_test {
namespace {

using namespace std::chrono_literals;

constexpr int kSwaps = 1000;
#ifdef TRVNS_SANITIZE_BUILD
constexpr auto kSwapTime = 25s;  // everything runs several times slower
#else
constexpr auto kSwapTime = 40s;
#endif
constexpr int kCommandLoops = 2;
constexpr char kInstalled[] = "/opt/brenvik/qtrvns/plugins/libremoteops.so";
constexpr char kStaged[] = "/opt/brenvik/.staged-libremoteops.so";

class PluginSwapStress : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        copyFile(TRVNS_PLUGIN_FILE, kInstalled);
        writeFile(kClientConfig, "[nsserver]\nhost = 127.0.0.1\nport = " + std::to_string(server_->port()) +
                                     "\ncertpath = " + TestPki::get().caCert + "\n");
        writeFile(kTreeConfig, "x7q.base.tree-name = MY_TREE\n");
        ASSERT_EQ(0, createNamespace("NS1"));
        ASSERT_EQ(0, createFolder("/NS1/home"));
    }

    // One swap: the three ways take turns.
    static void swap(int round) {
        switch (round % 3) {
        case 0:
            copyFile(TRVNS_PLUGIN_FILE, kStaged);
            std::rename(kStaged, kInstalled);
            break;
        case 1: copyFile(TRVNS_PLUGIN_FILE, kInstalled); break;
        case 2:
            removeFile(kInstalled);
            copyFile(TRVNS_PLUGIN_FILE, kInstalled);
            break;
        }
    }
};

struct Outcome {
    std::mutex mutex;
    int commands = 0;
    int crashed = 0;
    std::vector<std::string> failures;

    void add(const std::string &command, const RunResult &result, bool ok) {
        std::lock_guard<std::mutex> lock(mutex);
        ++commands;
        if (result.status >= 128) ++crashed;  // killed by a signal
        if (!ok) {
            failures.push_back(command + ": status " + std::to_string(result.status) + "\n" + result.out +
                               result.err);
        }
    }
};

// Runs qtrvns-mgmt with a generous bound on a hang (timeout exits 124).
RunResult qtrvns(const std::vector<std::string> &args) {
    std::vector<std::string> bounded{"60", QTRVNS_MGMT};
    bounded.insert(bounded.end(), args.begin(), args.end());
    return runProgram("/usr/bin/timeout", bounded);
}

TEST_F(PluginSwapStress, CommandsNeitherCrashNorFailWhileThePluginIsReplaced) {
    std::atomic<bool> swapping{true};
    Outcome outcome;
    std::vector<std::thread> loops;
    for (int loop = 0; loop < kCommandLoops; ++loop) {
        loops.emplace_back([&, loop] {
            for (int i = 0; swapping; ++i) {
                std::string dir = "/TRVNS/NS1/home/d" + std::to_string(loop) + "-" + std::to_string(i);
                RunResult created = qtrvns({"create", "-d", dir});
                outcome.add("create -d " + dir, created,
                            created.status == 0 && created.out == "Directory " + dir + " created successfully!\n");
                RunResult listed = qtrvns({"list", "-p", "/TRVNS/NS1/home"});
                outcome.add("list -p /TRVNS/NS1/home", listed,
                            listed.status == 0 && listed.out.find("Element count: ") != std::string::npos);
            }
        });
    }
    auto deadline = std::chrono::steady_clock::now() + kSwapTime;
    int swaps = 0;
    while (swaps < kSwaps && std::chrono::steady_clock::now() < deadline) {
        swap(swaps++);
        std::this_thread::sleep_for(10ms);
    }
    swapping = false;
    for (std::thread &loop : loops) loop.join();

    std::cout << swaps << " swaps, " << outcome.commands << " commands\n";
    EXPECT_GT(outcome.commands, 0);
    EXPECT_EQ(0, outcome.crashed);
    EXPECT_TRUE(outcome.failures.empty()) << outcome.failures.size() << " failed, the first:\n"
                                          << outcome.failures.front();
}

}  // namespace
}  // namespace trvns_test
