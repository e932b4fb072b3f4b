/* Stands in for a libtrvnsmgmt.so.1 built before its exports had a symbol
 * version: same soname, same names, no version node.  A program linked
 * against it must still run against the versioned library. */
const char *trvns_mgmt_get_error_message(int moduleType, int code)
{
    (void)moduleType;
    (void)code;
    return "unversioned stand-in";
}

int trvns_mgmt_get_posix_error_code(int moduleType, int code)
{
    (void)moduleType;
    (void)code;
    return -1;
}
