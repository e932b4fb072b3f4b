// What a long-running program keeps of the plug-ins installed under it:
// `qtrvns-mgmt --batch -` of each build runs one command, then the plug-in
// is installed COUNT times by rename (written beside the directory, renamed
// over libremoteops.so), then written once more in place slowly (4 KiB
// every 2 ms), as a slow copy over the network would. After each phase the
// batch runs one more command, and its open descriptors, resident memory
// and mapped private plug-in copies are printed.
//
//   loader_installs_driver NSSERVER UNUSED COUNT NAME=BUILD_DIR...
//
// Run it through bench/loader_installs, which supplies the private mount
// namespace.
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace trvns_bench {
namespace {

using namespace std::chrono_literals;

class Batch {
public:
    Batch(const Build &build, const std::string &outFile) : outFile_(outFile) {
        int in[2];
        if (pipe2(in, O_CLOEXEC) != 0) fail("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            if (setns(build.plugins->fd(), CLONE_NEWNS) != 0) _exit(126);
            int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(in[0], 0);
            dup2(out, 1);
            dup2(out, 2);
            execl(build.program.c_str(), build.program.c_str(), "--batch", "-", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(in[0]);
        in_ = in[1];
    }
    ~Batch() {
        if (in_ >= 0) close(in_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    // Runs `list -n` and waits for its output.
    void listNamespaces() {
        static const std::string command = "list -n\n";
        if (write(in_, command.data(), command.size()) != static_cast<ssize_t>(command.size())) fail("batch input");
        auto deadline = std::chrono::steady_clock::now() + 30s;
        for (;;) {
            std::string out = readFile(outFile_);
            size_t at = out.find("BENCH", seen_);
            if (at != std::string::npos) {
                seen_ = at + 1;
                return;
            }
            if (std::chrono::steady_clock::now() > deadline) fail("no reply from the batch:\n" + out);
            std::this_thread::sleep_for(5ms);
        }
    }
    int openFiles() const {
        int count = 0;
        DIR *fds = opendir(("/proc/" + std::to_string(pid_) + "/fd").c_str());
        if (fds == nullptr) return -1;
        while (const dirent *entry = readdir(fds)) count += entry->d_name[0] != '.';
        closedir(fds);
        return count;
    }
    double rssMiB() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0) return atof(line.c_str() + 6) / 1024;
        }
        return -1;
    }
    // Private plug-in copies mapped: memfds, or files of a private folder.
    size_t pluginCopies() const {
        std::ifstream maps("/proc/" + std::to_string(pid_) + "/maps");
        std::set<std::string> inodes;
        for (std::string line; std::getline(maps, line);) {
            if (line.find("/memfd:") == std::string::npos && line.find("/trvns-plugin-") == std::string::npos) {
                continue;
            }
            std::istringstream fields(line);
            std::string range, mode, offset, device, inode;
            fields >> range >> mode >> offset >> device >> inode;
            inodes.insert(device + ":" + inode);
        }
        return inodes.size();
    }

private:
    std::string outFile_;
    pid_t pid_ = -1;
    int in_ = -1;
    size_t seen_ = 0;
};

void printRow(const std::string &build, const std::string &phase, const Batch &batch) {
    printf("  %-10s %-28s %8d %10.1f %8zu\n", build.c_str(), phase.c_str(), batch.openFiles(), batch.rssMiB(),
           batch.pluginCopies());
    fflush(stdout);
}

void writeAll(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) fail("cannot write " + path);
}

int run(int argc, char **argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: %s NSSERVER UNUSED COUNT NAME=BUILD_DIR...\n", argv[0]);
        return 2;
    }
    const int installs = atoi(argv[3]);
    Stage stage(argc, argv);
    Sample created = runMeasured({stage.builds[0].program, "create", "-n", "BENCH"}, stage.builds[0].plugins->fd());
    if (created.status != 0) fail("cannot create the namespace BENCH");

    printf("%d rename installs, then one slow write in place, under a running batch\n", installs);
    printf("  %-10s %-28s %8s %10s %8s\n", "build", "after", "open fds", "RSS MiB", "copies");
    for (const Build &build : stage.builds) {
        // The build's plug-in folder, bound over the plug-in directory in
        // its mount namespace (see PluginNamespace).
        const std::string folder = stage.scratch + "/" + build.name;
        const std::string installed = folder + "/libremoteops.so";
        const std::string staged = stage.scratch + "/staged-" + build.name;
        const std::string plugin = readFile(installed);

        Batch batch(build, stage.scratch + "/batch-" + build.name + ".out");
        batch.listNamespaces();
        std::this_thread::sleep_for(500ms);  // the watch is in place
        printRow(build.name, "start", batch);

        auto began = std::chrono::steady_clock::now();
        for (int i = 0; i < installs; ++i) {
            writeAll(staged, plugin);
            if (rename(staged.c_str(), installed.c_str()) != 0) fail("rename");
            std::this_thread::sleep_for(5ms);
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        std::this_thread::sleep_for(1s);
        batch.listNamespaces();
        char phase[64];
        snprintf(phase, sizeof phase, "%d installs (%.0f s)", installs, seconds);
        printRow(build.name, phase, batch);

        {
            std::ofstream out(installed, std::ios::binary | std::ios::trunc);
            for (size_t at = 0; at < plugin.size(); at += 4096) {
                out.write(plugin.data() + at, static_cast<std::streamsize>(std::min<size_t>(4096, plugin.size() - at)));
                out.flush();
                std::this_thread::sleep_for(2ms);
            }
        }
        std::this_thread::sleep_for(1s);
        batch.listNamespaces();
        printRow(build.name, "slow write in place", batch);
    }
    return 0;
}

}  // namespace
}  // namespace trvns_bench

int main(int argc, char **argv) { return trvns_bench::runDriver(trvns_bench::run, argc, argv); }
