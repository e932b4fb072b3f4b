// Loads the library with dlopen, unloads it again, then writes into the
// plug-in directory: a watcher thread left behind would now run unmapped
// code and crash the process.
#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

int main(int argc, char **argv) {
    if (argc < 2) return 2;
    void *library = dlopen(argv[1], RTLD_NOW);
    if (library == nullptr) {
        printf("dlopen: %s\n", dlerror());
        return 2;
    }
    auto connect = reinterpret_cast<int (*)()>(dlsym(library, "TRVNS_MGMT_connectTrvNS"));
    printf("connect=%d\n", connect ? connect() : 999);
    if (dlclose(library) != 0) return 3;
    FILE *file = fopen("/opt/brenvik/qtrvns/plugins/after-unload.txt", "w");
    if (file != nullptr) {
        fputs("x\n", file);
        fclose(file);
    }
    usleep(300 * 1000);
    printf("survived\n");
    return 0;
}
