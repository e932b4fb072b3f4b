/* Lists the namespaces of the TRVNS namespace service through libtrvnsmgmt.
 *   cc list_namespaces.c $(pkg-config --cflags --libs trvnsmgmt) -o list_namespaces
 * or, with CMake, see CMakeLists.txt beside this file. */
#include <stdio.h>
#include <trvns_mgmt.h>

int main(void)
{
    trvns_getNamespaces_input in = {.version = TRVNS_MGMT_API_VERSION};
    trvns_namespace_list list = {0};
    int status = TRVNS_MGMT_connectTrvNS();
    if (status != 0) {
        fprintf(stderr, "connect: %s\n", trvns_mgmt_get_error_message(TRVNS_MODULE_NAMESPACE, status));
        return 1;
    }
    status = TRVNS_MGMT_getNamespaces(&in, &list);
    if (status == 0) {
        for (unsigned i = 0; i < list.count; ++i) printf("%s\n", list.namespaces[i].name);
        TRVNS_MGMT_freeNamespaceList(&list);
    } else {
        fprintf(stderr, "list: %s\n", trvns_mgmt_get_error_message(TRVNS_MODULE_NAMESPACE, status));
    }
    TRVNS_MGMT_disconnectTrvNS();
    return status == 0 ? 0 : 1;
}
