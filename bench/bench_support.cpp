#include "bench_support.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <thread>

namespace trvns_bench {

void fail(const std::string &why) {
    fprintf(stderr, "bench: %s\n", why.c_str());
    exit(1);
}

int runDriver(int (*run)(int, char **), int argc, char **argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception &error) {
        fail(error.what());
    }
}

Server::Server(const std::string &binary, const trvns_test::TestPki &pki, const std::string &database)
    : ServerLauncher(binary, pki.serverCert, pki.serverKey, database) {
    start();
}

void writeClientFiles(int port, const std::string &caCert) {
    writeFile(trvns_test::kClientConfig, trvns_test::clientConfig(port, caCert));
    writeFile(trvns_test::kTreeConfig, "x7q.base.tree-name = BENCH_TREE\n");
    writeFile("/etc/opt/brenvik/qtrvns/uxr-users.conf", ".admin.BENCH_TREE. = 1001\n");
}

PluginNamespace::PluginNamespace(const std::string &pluginFile, const std::string &scratchDir) {
    mkdir(scratchDir.c_str(), 0755);
    copyFile(pluginFile, scratchDir + "/libremoteops.so");
    int ready[2];
    if (pipe(ready) != 0) fail("pipe");
    holder_ = fork();
    if (holder_ == 0) {
        close(ready[0]);
        bool ok = unshare(CLONE_NEWNS) == 0 && mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                  mount(scratchDir.c_str(), "/opt/brenvik/qtrvns/plugins", nullptr, MS_BIND, nullptr) == 0;
        char answer = ok ? 'y' : 'n';
        if (write(ready[1], &answer, 1) != 1) _exit(1);
        close(ready[1]);
        while (true) pause();
    }
    close(ready[1]);
    char answer = 'n';
    if (read(ready[0], &answer, 1) != 1 || answer != 'y') fail("cannot make a mount namespace for " + pluginFile);
    close(ready[0]);
    fd_ = open(("/proc/" + std::to_string(holder_) + "/ns/mnt").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) fail("cannot open the mount namespace");
}

PluginNamespace::~PluginNamespace() {
    close(fd_);
    kill(holder_, SIGKILL);
    waitpid(holder_, nullptr, 0);
}

namespace {

std::string makeScratch() {
    char pattern[] = "/tmp/trvns-bench.XXXXXX";
    if (mkdtemp(pattern) == nullptr) fail("cannot make a scratch folder");
    return pattern;
}

}  // namespace

Stage::Stage(int argc, char **argv)
    : scratch(makeScratch()),
      pki(trvns_test::makeTestPki("/etc/opt/brenvik/qtrvns/bench-pki")),
      server(argv[1], pki, scratch + "/ns.db") {
    writeClientFiles(server.port(), pki.caCert);
    builds = buildsFromArguments(4, argc, argv, scratch);
}

int Stage::finish() {
    builds.clear();
    std::string cleanup = "rm -rf " + scratch;
    return system(cleanup.c_str()) == 0 ? 0 : 1;
}

namespace {

double monotonicMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double ms(const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

}  // namespace

Sample runMeasured(const std::vector<std::string> &argv, int nsFd, const std::string &outFile) {
    // The child stamps the moment just before exec, so that entering the
    // mount namespace is not counted.
    auto *startedAt = static_cast<double *>(
        mmap(nullptr, sizeof(double), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (startedAt == MAP_FAILED) fail("mmap");
    std::vector<char *> args;
    for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (nsFd >= 0 && setns(nsFd, CLONE_NEWNS) != 0) _exit(126);
        int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(out, 1);
        dup2(null, 2);
        *startedAt = monotonicMs();
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Sample sample;
    sample.wallMs = monotonicMs() - *startedAt;
    munmap(startedAt, sizeof(double));
    sample.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    sample.maxRssMiB = usage.ru_maxrss / 1024.0;
    sample.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return sample;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::vector<Build> buildsFromArguments(int first, int argc, char **argv, const std::string &scratch) {
    std::vector<Build> builds;
    for (int i = first; i < argc; ++i) {
        const std::string argument = argv[i];
        const size_t equals = argument.find('=');
        if (equals == std::string::npos) fail("expected NAME=BUILD_DIR, got " + argument);
        const std::string name = argument.substr(0, equals);
        const std::string dir = argument.substr(equals + 1);
        builds.push_back({name, dir + "/cli/qtrvns-mgmt",
                          std::make_unique<PluginNamespace>(dir + "/plugins/grpc/libremoteops.so", scratch + "/" + name)});
    }
    return builds;
}

}  // namespace trvns_bench
