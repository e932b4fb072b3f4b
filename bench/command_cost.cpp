// Whole-process cost of one management command against the floor: a bare
// client making one GetNamespaces call over TLS.  `list -n` and `create -d`
// of each build given run interleaved with the floor, pair by pair, against
// one trvns-nsserver on loopback; the medians of wall time, CPU time and
// peak RSS, and their ratios to the floor's, are printed.
//
//   command_cost_driver NSSERVER FLOOR_CLIENT PAIRS NAME=BUILD_DIR...
//
// Run it through bench/command_cost, which supplies the private mount
// namespace.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"

namespace trvns_bench {
namespace {


struct Series {
    std::vector<double> wall, cpu, rss;
    void add(const Sample &s) {
        wall.push_back(s.wallMs);
        cpu.push_back(s.cpuMs);
        rss.push_back(s.maxRssMiB);
    }
};

enum Command { kList, kCreate };
const char *const kCommandNames[] = {"list -n", "create -d"};

std::vector<std::string> commandLine(const Build &build, Command command, int serial) {
    if (command == kList) return {build.program, "list", "-n"};
    return {build.program, "create", "-d", "/TRVNS/BENCH/" + build.name + "-" + std::to_string(serial)};
}

void expectSuccess(const Sample &sample, const std::vector<std::string> &argv, const std::string &outFile) {
    if (sample.status == 0) return;
    std::string line;
    for (const std::string &arg : argv) line += " " + arg;
    fail("exit status " + std::to_string(sample.status) + " from" + line + ":\n" + readFile(outFile));
}

void printRow(const std::string &label, const Series &s, const Series *floor) {
    printf("  %-22s %8.2f %8.2f %10.2f", label.c_str(), median(s.wall), median(s.cpu), median(s.rss));
    if (floor != nullptr) {
        printf("   %5.2fx %5.2fx %5.2fx", median(s.wall) / median(floor->wall), median(s.cpu) / median(floor->cpu),
               median(s.rss) / median(floor->rss));
    }
    printf("\n");
}

int run(int argc, char **argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: %s NSSERVER FLOOR_CLIENT PAIRS NAME=BUILD_DIR...\n", argv[0]);
        return 2;
    }
    const std::string floorClient = argv[2];
    const int pairs = atoi(argv[3]);
    Stage stage(argc, argv);
    const std::string outFile = stage.scratch + "/out";
    const std::vector<std::string> floorLine = {floorClient, stage.server.address(), stage.pki.caCert};
    auto measure = [&](const std::vector<std::string> &line, int nsFd) {
        Sample sample = runMeasured(line, nsFd, outFile);
        expectSuccess(sample, line, outFile);
        return sample;
    };
    measure({stage.builds[0].program, "create", "-n", "BENCH"}, stage.builds[0].plugins->fd());

    // Warm the page cache and the server before anything counts.
    for (int i = 0; i < 3; ++i) {
        measure(floorLine, -1);
        for (Build &build : stage.builds) measure(commandLine(build, kList, 0), build.plugins->fd());
    }

    std::map<Command, Series> floor;
    std::map<std::pair<Command, size_t>, Series> results;
    int serial = 1;
    for (int pair = 0; pair < pairs; ++pair) {
        for (Command command : {kList, kCreate}) {
            // The floor and every build, in an order that rotates per pair.
            size_t runners = stage.builds.size() + 1;
            for (size_t k = 0; k < runners; ++k) {
                size_t who = (k + static_cast<size_t>(pair)) % runners;
                if (who == stage.builds.size()) {
                    floor[command].add(measure(floorLine, -1));
                } else {
                    Build &build = stage.builds[who];
                    results[{command, who}].add(measure(commandLine(build, command, serial++), build.plugins->fd()));
                }
            }
        }
    }

    printf("Whole-process cost, %d interleaved runs each, medians (ratios against the floor of each command)\n",
           pairs);
    printf("  %-22s %8s %8s %10s   %6s %6s %6s\n", "", "wall ms", "CPU ms", "peak MiB", "wall", "CPU", "RSS");
    for (Command command : {kList, kCreate}) {
        printRow(std::string("floor (") + kCommandNames[command] + ")", floor[command], nullptr);
        for (size_t who = 0; who < stage.builds.size(); ++who) {
            printRow(std::string(kCommandNames[command]) + " [" + stage.builds[who].name + "]", results[{command, who}],
                     &floor[command]);
        }
    }
    return stage.finish();
}

}  // namespace
}  // namespace trvns_bench

int main(int argc, char **argv) { return trvns_bench::runDriver(trvns_bench::run, argc, argv); }
