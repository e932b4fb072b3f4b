/* A program linked against the unversioned stand-in of libtrvnsmgmt.so.1;
 * run against the real library it must print the real texts. */
#include <stdio.h>

const char *trvns_mgmt_get_error_message(int moduleType, int code);
int trvns_mgmt_get_posix_error_code(int moduleType, int code);

int main(void)
{
    printf("%s\n%d\n", trvns_mgmt_get_error_message(1, 112), trvns_mgmt_get_posix_error_code(1, 116));
    return 0;
}
