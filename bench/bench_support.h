// Shared pieces of the whole-process benchmarks: test certificates, a real
// trvns-nsserver on loopback, the client's configuration files, and running
// a program in a fresh process with its wall time, CPU time and peak RSS.
//
// The drivers run inside tests/support/isolate, so the fixed paths of the
// toolset are scratch folders.  Each build under test gets a mount namespace
// of its own in which the plug-in directory holds that build's plug-in, so
// builds can be measured side by side, interleaved, in one run.
#ifndef TRVNS_BENCH_SUPPORT_H
#define TRVNS_BENCH_SUPPORT_H

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace trvns_bench {

struct Pki {
    std::string caCert;
    std::string serverCert;
    std::string serverKey;
};
Pki makePki(const std::string &dir);

class Server {
public:
    Server(const std::string &binary, const Pki &pki, const std::string &database);
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;
    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// The client configuration, tree-name file and user table for a server.
void writeClientFiles(int port, const std::string &caCert);

// A mount namespace whose plug-in directory holds one given plug-in; kept
// alive by a sleeping process.
class PluginNamespace {
public:
    PluginNamespace(const std::string &pluginFile, const std::string &scratchDir);
    ~PluginNamespace();
    PluginNamespace(const PluginNamespace &) = delete;
    PluginNamespace &operator=(const PluginNamespace &) = delete;
    int fd() const { return fd_; }

private:
    pid_t holder_ = -1;
    int fd_ = -1;
};

// A build under test: its program and a mount namespace holding its plug-in.
struct Build {
    std::string name;
    std::string program;
    std::unique_ptr<PluginNamespace> plugins;
};

// The builds named by arguments NAME=BUILD_DIR, from argv[first] on; each
// gets its plug-in namespace in a folder of `scratch`.
std::vector<Build> buildsFromArguments(int first, int argc, char **argv, const std::string &scratch);

struct Sample {
    double wallMs = 0;  // from exec to reaped
    double cpuMs = 0;   // user + system of the child
    double maxRssMiB = 0;
    int status = -1;
};

// Runs argv in a fresh process (in the mount namespace nsFd unless it is
// -1), stdout to `outFile`, stderr to /dev/null.
Sample runMeasured(const std::vector<std::string> &argv, int nsFd, const std::string &outFile = "/dev/null");

double median(std::vector<double> values);
std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &content);
void copyFile(const std::string &from, const std::string &to);
[[noreturn]] void fail(const std::string &why);

}  // namespace trvns_bench

#endif
