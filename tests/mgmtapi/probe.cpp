// A program linked to the library, for what happens at library load:
// prints the connect status and the one operation it was asked for.
#include <cstdio>
#include <cstring>

#include "trvns_mgmt.h"

int main(int argc, char **argv) {
    int status = TRVNS_MGMT_connectTrvNS();
    printf("connect=%d\n", status);
    if (argc > 2 && strcmp(argv[1], "remove") == 0) printf("remove=%d\n", TRVNS_MGMT_remove(argv[2], 0));
    if (argc > 2 && strcmp(argv[1], "mkdir") == 0) {
        printf("mkdir=%d\n", TRVNS_MGMT_createDirectory(argv[2], 0));
    }
    if (status == 0) printf("disconnect=%d\n", TRVNS_MGMT_disconnectTrvNS());
    return 0;
}
