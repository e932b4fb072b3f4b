// The identity lookup of libtrvnsuxr through its public header: the user
// table first, then the local user database, then not found.
#include <gtest/gtest.h>

#include <cstdint>

#include "test_files.h"
#include "uxrlib.h"

namespace trvns_test {
namespace {

TEST(UxrLookup, TableThenLocalUsersThenNotFound) {
    writeFile("/etc/opt/brenvik/qtrvns/uxr-users.conf",
              "# name = uid\n.cn=admin.o=org.T=TREE. = 501\n  .bob.org.TREE.=  77 \nbroken line\n.x. = notanumber\n");
    uint32_t uid = 0;
    EXPECT_EQ(0, uxrlib_get_uid_from_uname(0, ".cn=admin.o=org.T=TREE.", &uid));
    EXPECT_EQ(501u, uid);
    EXPECT_EQ(0, uxrlib_get_uid_from_uname(0, ".bob.org.TREE.", &uid));
    EXPECT_EQ(77u, uid);
    // Local user database, by the first name component.
    EXPECT_EQ(0, uxrlib_get_uid_from_uname(0, ".root.org.TREE.", &uid));
    EXPECT_EQ(0u, uid);
    EXPECT_EQ(0, uxrlib_get_uid_from_uname(0, "DOMAIN\\root", &uid));
    EXPECT_EQ(0, uxrlib_get_uid_from_uname(0, ".cn=root.o=x.", &uid));
    EXPECT_EQ(UXR_NOT_FOUND, uxrlib_get_uid_from_uname(0, ".x.", &uid));
    EXPECT_EQ(UXR_NOT_FOUND, uxrlib_get_uid_from_uname(0, "....", &uid));
    EXPECT_EQ(UXR_NOT_FOUND, uxrlib_get_uid_from_uname(0, ".no-such-user-here.org.T.", &uid));
    EXPECT_EQ(UXR_INVALID_ARGUMENT, uxrlib_get_uid_from_uname(0, nullptr, &uid));
    EXPECT_EQ(UXR_INVALID_ARGUMENT, uxrlib_get_uid_from_uname(0, "", &uid));
    EXPECT_EQ(UXR_INVALID_ARGUMENT, uxrlib_get_uid_from_uname(0, "x", nullptr));
}

}  // namespace
}  // namespace trvns_test
