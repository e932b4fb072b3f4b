// A program linked to the library, for what happens at library load:
// prints the connect status and the one operation it was asked for.
//
//   trvns_probe [remove PATH | mkdir PATH]
//   trvns_probe install SOURCE NAME DELAY_MS MARKER
//
// The second form waits DELAY_MS after the library's start, copies SOURCE
// over the plug-in NAME in place (as cp does), then waits at most 5 s for a
// marker plug-in answering MARKER to become active, and prints the marker
// of the active plug-in.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "trvns_mgmt.h"

namespace {

constexpr char kPluginDir[] = "/opt/brenvik/qtrvns/plugins/";

int installAndAwait(const char *source, const char *name, int delayMs, int marker) {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    {
        std::ifstream in(source, std::ios::binary);
        std::ofstream out(std::string(kPluginDir) + name, std::ios::binary | std::ios::trunc);
        out << in.rdbuf();
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    // Outside a session disconnect goes to the active plug-in, and a marker
    // plug-in answers with its marker.
    int active = TRVNS_MGMT_disconnectTrvNS();
    while (active != marker && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        active = TRVNS_MGMT_disconnectTrvNS();
    }
    printf("active=%d\n", active);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 6 && strcmp(argv[1], "install") == 0) {
        return installAndAwait(argv[2], argv[3], atoi(argv[4]), atoi(argv[5]));
    }
    int status = TRVNS_MGMT_connectTrvNS();
    printf("connect=%d\n", status);
    if (argc > 2 && strcmp(argv[1], "remove") == 0) printf("remove=%d\n", TRVNS_MGMT_remove(argv[2], 0));
    if (argc > 2 && strcmp(argv[1], "mkdir") == 0) {
        printf("mkdir=%d\n", TRVNS_MGMT_createDirectory(argv[2], 0));
    }
    if (status == 0) printf("disconnect=%d\n", TRVNS_MGMT_disconnectTrvNS());
    return 0;
}
