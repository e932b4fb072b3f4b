// What loading the transport plug-in costs: the library's loadPlugin (open,
// checks, private sealed snapshot, dlopen of the snapshot) against a plain
// dlopen and dlclose of the installed file, which is what a load cost before
// snapshots. The difference is what the snapshot adds to a command.
//
// Runs in the tests' private mount namespace, where it may install the
// plug-in at the fixed path:
//     cmake --build build --target run-bench-plugin-load
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "trvns_mgmt.h"

namespace {

constexpr char kInstalled[] = "/opt/brenvik/qtrvns/plugins/libremoteops.so";
constexpr char kStaged[] = "/opt/brenvik/.bench-libremoteops.so";
// Each snapshot stays mapped with its descriptor open for the life of the
// process, so the load benchmarks run a fixed number of times.
constexpr int kLoads = 300;

void installPlugin() {
    {
        std::ifstream from(TRVNS_PLUGIN_FILE, std::ios::binary);
        std::ofstream to(kStaged, std::ios::binary | std::ios::trunc);
        to << from.rdbuf();
    }
    if (std::rename(kStaged, kInstalled) != 0) {
        std::perror("install plug-in");
        std::exit(1);
    }
    // Let the library's watcher handle the install before anything is timed.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

void BM_LoadPluginSnapshot(benchmark::State &state) {
    for (auto _ : state) {
        if (loadPlugin("libremoteops.so") != 0) state.SkipWithError("loadPlugin failed");
    }
}
BENCHMARK(BM_LoadPluginSnapshot)->Iterations(kLoads)->Unit(benchmark::kMicrosecond);

void BM_PlainDlopenOfTheFile(benchmark::State &state) {
    for (auto _ : state) {
        void *handle = dlopen(kInstalled, RTLD_NOW);
        if (handle == nullptr) {
            state.SkipWithError(dlerror());
            break;
        }
        benchmark::DoNotOptimize(dlsym(handle, "getMgmtPluginOps"));
        dlclose(handle);
    }
}
BENCHMARK(BM_PlainDlopenOfTheFile)->Iterations(kLoads)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) {
    if (getenv("TRVNS_ISOLATED") == nullptr) {
        std::fprintf(stderr, "run through tests/support/isolate (cmake --build build --target run-bench-plugin-load)\n");
        return 1;
    }
    rlimit files;
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    installPlugin();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
