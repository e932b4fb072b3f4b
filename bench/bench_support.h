// Shared pieces of the whole-process benchmarks: a real trvns-nsserver on
// loopback, the client's configuration files, and running a program in a
// fresh process with its wall time, CPU time and peak RSS.  Certificates,
// the server launcher and the file helpers are the tests' own
// (tests/support).
//
// The drivers run inside tests/support/isolate, so the fixed paths of the
// toolset are scratch folders.  Each build under test gets a mount namespace
// of its own in which the plug-in directory holds that build's plug-in, so
// builds can be measured side by side, interleaved, in one run.
#ifndef TRVNS_BENCH_SUPPORT_H
#define TRVNS_BENCH_SUPPORT_H

#include <signal.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "server_process.h"
#include "test_files.h"
#include "test_pki.h"

namespace trvns_bench {

using trvns_test::copyFile;
using trvns_test::readFile;
using trvns_test::writeFile;

// The server of the build under test, started with the benchmark's
// certificates.
class Server : public trvns_test::ServerLauncher {
public:
    Server(const std::string &binary, const trvns_test::TestPki &pki, const std::string &database);
    ~Server() { stop(SIGTERM); }
    std::string address() const { return "127.0.0.1:" + std::to_string(port()); }
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

// What every driver stands on: a scratch folder, the benchmark's
// certificates, the server argv[1] on a database in the scratch folder, the
// client's files pointing at it, and the builds named from argv[4] on.
struct Stage {
    Stage(int argc, char **argv);
    // Ends the plug-in namespaces and removes the scratch folder; the
    // driver's exit status.
    int finish();
    std::string scratch;
    trvns_test::TestPki pki;
    Server server;
    std::vector<Build> builds;
};

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
[[noreturn]] void fail(const std::string &why);
// The main of a driver: runs `run`, and fails with the reason of whatever it
// throws.
int runDriver(int (*run)(int, char **), int argc, char **argv);

}  // namespace trvns_bench

#endif
