// The TRVNS_MGMT_ operations: checks in order, trimmed paths, uids and
// status pass-through, as seen by the recording plug-in.
#include <syslog.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "library_fixture.h"

namespace trvns_test {
namespace {

// "/TRVNS" is the prefix only as a whole component: a name glued to it is
// a typo, refused, never a path into another folder.
TEST_F(LibraryTest, TrimmedPathTakesThePrefixOnlyAsAWholeComponent) {
    struct Case {
        const char *path;
        const char *trimmed;  // null: refused
    } cases[] = {
        {"/TRVNS/ns1/home", "/ns1/home"},
        {"/TRVNS", "/"},
        {"/TRVNS/", "/"},
        {"/TRVNS//a", "//a"},
        {"/TRVNS/PT/keep", "/PT/keep"},
        {"/TRVNSPT/keep", nullptr},
        {"/TRVNSns1", nullptr},
        {"/TRVNSX/a", nullptr},
        {"/TRVNS./a", nullptr},
        {"/TRVNS\\/a", nullptr},
        {"/DATA/x", nullptr},
        {"", nullptr},
        {"/trvns/a", nullptr},
        {"/TRV", nullptr},
        {"TRVNS/a", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        log().clear();
        char *trimmed = getTrimmedPath(c.path);
        if (c.trimmed == nullptr) {
            EXPECT_EQ(nullptr, trimmed);
            auto mismatch = log().find(std::string("Path prefix mismatch for '") + c.path + "'");
            ASSERT_NE(nullptr, mismatch) << log().dump();
            EXPECT_EQ(LOG_WARNING, mismatch->priority);
            EXPECT_EQ(0u, mismatch->message.find("getTrimmedPath("));
        } else {
            ASSERT_NE(nullptr, trimmed);
            EXPECT_STREQ(c.trimmed, trimmed);
            EXPECT_EQ(0, log().count("Path prefix mismatch")) << log().dump();
        }
        free(trimmed);
    }
}

// One path operation, called with a given path; returns the status.
struct PathOperation {
    const char *name;
    const char *slot;
    std::function<int(const char *)> call;
    std::vector<std::string> argsAfterPath;  // what the slot receives after uid and path
    const char *uid;                          // the uid the slot receives
    const char *nullMessage;
    const char *invalidMessage;
    int priority;
};

trvns_trustee gTrustee{const_cast<char *>(".t.org.TREE."), nullptr, 0, 0};

std::vector<PathOperation> pathOperations() {
    return {
        {"createDirectory", "createDirectory", [](const char *p) { return TRVNS_MGMT_createDirectory(p, 5); },
         {"5"}, "0", "dirPath argument is NULL", "Invalid dirPath", LOG_ERR},
        {"createJunction", "createJunction",
         [](const char *p) { return TRVNS_MGMT_createJunction(p, "j1", "srv", "VOL", "/t", "YAR", 6); },
         {"j1", "srv", "VOL", "/t", "YAR", "6"}, "0", "dirPath argument is NULL", "Invalid dirPath", LOG_ERR},
        {"remove", "remove", [](const char *p) { return TRVNS_MGMT_remove(p, 7); }, {"7"}, "0",
         "path argument is NULL", "Invalid path", LOG_ERR},
        {"rename", "rename", [](const char *p) { return TRVNS_MGMT_rename(p, "newer", 8); }, {"newer", "8"}, "0",
         "path argument is NULL", "Invalid path", LOG_ERR},
        {"trusteeGrant", "trusteeGrant", [](const char *p) { return TRVNS_MGMT_trusteeGrant(p, &gTrustee, 9); },
         {".t.org.TREE.", "9"}, "0", "path argument is NULL", "Invalid path", LOG_ERR},
        {"trusteeRevoke", "trusteeRevoke",
         [](const char *p) { return TRVNS_MGMT_trusteeRevoke(p, &gTrustee, 10); }, {".t.org.TREE.", "10"}, "0",
         "path argument is NULL", "Invalid path", LOG_ERR},
        {"getTarget", "getTarget",
         [](const char *p) {
             trvns_target_list list{};
             int status = TRVNS_MGMT_getTarget(4242, p, &list, 11);
             TRVNS_MGMT_freeTargetList(&list);
             return status;
         },
         {"11"}, "4242", "path argument is NULL", "Invalid path", LOG_ERR},
        {"dirStat", "dirStat",
         [](const char *p) {
             trvns_dirStat_output out{};
             int status = TRVNS_MGMT_dirStat(500, p, &out);
             TRVNS_MGMT_freeDirStatout(&out);
             return status;
         },
         {}, "500", "Path argument is NULL", "Path trimming failed for '", LOG_WARNING},
    };
}

class PathOperations : public LibraryTest {};

TEST_F(PathOperations, TrimmedPathAndUidReachTheSlotAndStatusPassesThrough) {
    for (const PathOperation &op : pathOperations()) {
        SCOPED_TRACE(op.name);
        pluginA().statuses[op.slot] = -77;
        EXPECT_EQ(-77, op.call("/TRVNS/ns1/dir1"));
        auto calls = pluginA().takeCalls();
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(op.slot, calls[0].slot);
        std::vector<std::string> expected{op.uid, "/ns1/dir1"};
        expected.insert(expected.end(), op.argsAfterPath.begin(), op.argsAfterPath.end());
        EXPECT_EQ(expected, calls[0].args);
    }
}

TEST_F(PathOperations, NullPathIsRefusedBeforeThePlugin) {
    for (const PathOperation &op : pathOperations()) {
        SCOPED_TRACE(op.name);
        log().clear();
        EXPECT_EQ(-11, op.call(nullptr));
        EXPECT_TRUE(pluginA().takeCalls().empty());
        auto line = log().find(op.nullMessage);
        ASSERT_NE(nullptr, line) << log().dump();
        EXPECT_EQ(op.priority, line->priority);
        EXPECT_EQ(0u, line->message.find(std::string("TRVNS_MGMT_") + op.name + "("));
    }
}

TEST_F(PathOperations, PathWithoutPrefixIsRefusedWithBothMessages) {
    for (const PathOperation &op : pathOperations()) {
        SCOPED_TRACE(op.name);
        log().clear();
        EXPECT_EQ(-11, op.call("ns1/dir1"));
        EXPECT_TRUE(pluginA().takeCalls().empty());
        auto mismatch = log().find("Path prefix mismatch for 'ns1/dir1'");
        ASSERT_NE(nullptr, mismatch) << log().dump();
        EXPECT_EQ(LOG_WARNING, mismatch->priority);
        auto invalid = log().find(op.invalidMessage);
        ASSERT_NE(nullptr, invalid) << log().dump();
        EXPECT_EQ(op.priority, invalid->priority);
    }
}

TEST_F(PathOperations, WithoutPluginEveryOperationReturnsMinus12) {
    unloadPlugin();
    for (const PathOperation &op : pathOperations()) {
        SCOPED_TRACE(op.name);
        log().clear();
        EXPECT_EQ(-12, op.call("/TRVNS/ns1/dir1"));
        EXPECT_TRUE(log().contains("No active plugin loaded.")) << log().dump();
    }
}

TEST_F(LibraryTest, ObjStatPrintsTheResultWhateverTheStatus) {
    setenv("TZ", "UTC", 1);
    tzset();
    pluginA().statuses["objStat"] = 123;
    trvns_objStat_output out{};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(123, TRVNS_MGMT_objStat(31, "/TRVNS/ns1/j1", &out));
    fflush(stdout);
    std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(0u, printed.find("Element count: 7\nflags: 1\nst_mtime: \tThu Jan  1 00:00:00 1970\n")) << printed;
    auto calls = pluginA().takeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ((std::vector<std::string>{"31", "/ns1/j1"}), calls[0].args);
}

TEST_F(LibraryTest, ObjStatWithoutPluginLogsNothing) {
    unloadPlugin();
    trvns_objStat_output out{};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(-12, TRVNS_MGMT_objStat(0, "/TRVNS/ns1", &out));
    EXPECT_EQ("", ::testing::internal::GetCapturedStdout());
    EXPECT_TRUE(log().lines().empty()) << log().dump();
}

TEST_F(LibraryTest, TrusteeListPrintsOnSuccess) {
    trvns_trustee_list list{};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(0, TRVNS_MGMT_trusteeList("/TRVNS/ns1/home", &list, 0));
    fflush(stdout);
    EXPECT_EQ("  name:.alice.org.TREE.\n  guid:g-1\n  type:1\n  rights:3\n"
              "  name:.bob.org.TREE.\n  guid:g-2\n  type:0\n  rights:255\n",
              ::testing::internal::GetCapturedStdout());
    EXPECT_EQ((std::vector<std::string>{"0", "/ns1/home", "0"}), pluginA().takeCalls()[0].args);
    TRVNS_MGMT_freeTrusteeList(&list);
}

TEST_F(LibraryTest, FailedTrusteeListIsFreedByTheLibrary) {
    // The plug-in fills the list although it fails; the leak checker of the
    // sanitizer build reports it unless the library frees it.
    pluginA().statuses["trusteeList"] = 2;
    trvns_trustee_list list{};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(2, TRVNS_MGMT_trusteeList("/TRVNS/ns1/home", &list, 0));
    EXPECT_EQ("", ::testing::internal::GetCapturedStdout());
}

TEST_F(LibraryTest, MoveTrimsBothPaths) {
    pluginA().statuses["move"] = 116;
    EXPECT_EQ(116, TRVNS_MGMT_move("/TRVNS/ns1/a", "/TRVNS/ns1/b", 3));
    EXPECT_EQ((std::vector<std::string>{"0", "/ns1/a", "/ns1/b", "3"}), pluginA().takeCalls()[0].args);
}

TEST_F(LibraryTest, MoveChecksSourceThenTarget) {
    struct Case {
        const char *source;
        const char *target;
        const char *message;
    } cases[] = {
        {nullptr, "/TRVNS/b", "source argument is NULL"},
        {"bad", "/TRVNS/b", "Invalid source path"},
        {"/TRVNS/a", nullptr, "target argument is NULL"},
        {"/TRVNS/a", "bad", "Invalid target path"},
    };
    for (const Case &c : cases) {
        log().clear();
        EXPECT_EQ(-11, TRVNS_MGMT_move(c.source, c.target, 0));
        EXPECT_TRUE(log().contains(c.message)) << c.message << "\n" << log().dump();
    }
    EXPECT_TRUE(pluginA().takeCalls().empty());
}

TEST_F(LibraryTest, ListAllPassesItsArgumentsUnchanged) {
    trvns_listAll_output out{};
    pluginA().statuses["listAll"] = -301;
    EXPECT_EQ(-301, TRVNS_MGMT_listAll("NS1", -4, 0, &out));
    EXPECT_EQ((std::vector<std::string>{"NS1", "-4", "0"}), pluginA().takeCalls()[0].args);
    EXPECT_EQ(-11, TRVNS_MGMT_listAll(nullptr, 1, 1, &out));
    EXPECT_TRUE(log().contains("Path argument is NULL"));
    unloadPlugin();
    EXPECT_EQ(-12, TRVNS_MGMT_listAll(nullptr, 1, 1, &out));
}

TEST_F(LibraryTest, ListJunctionsAndListOnlyLog) {
    EXPECT_EQ(0, TRVNS_MGMT_listJunctions("/TRVNS/x", nullptr, 0));
    EXPECT_EQ(0, TRVNS_MGMT_list(nullptr, nullptr, 0));
    EXPECT_TRUE(pluginA().takeCalls().empty());
    EXPECT_TRUE(log().contains("TRVNS_MGMT_listJunctions called"));
    EXPECT_TRUE(log().contains("TRVNS_MGMT_list called"));
}

TEST_F(LibraryTest, VersionedRecordsAreCheckedBeforeThePlugin) {
    trvns_createNamespace_input create{2, const_cast<char *>("NS1"), 0, nullptr, nullptr, 0};
    trvns_initService_input init{2, const_cast<char *>("p"), 0};
    EXPECT_EQ(22, TRVNS_MGMT_createNamespace(&create));
    EXPECT_EQ(-16, TRVNS_MGMT_initService(&init, nullptr));
    EXPECT_EQ(22, TRVNS_MGMT_createNamespace(nullptr));
    EXPECT_EQ(22, TRVNS_MGMT_initService(nullptr, nullptr));
    trvns_getNamespaces_input zero{0, 0, nullptr, 0};
    EXPECT_EQ(22, TRVNS_MGMT_getNamespaces(&zero, nullptr));
    EXPECT_TRUE(pluginA().takeCalls().empty());
    EXPECT_EQ(3, log().count("API version mismatch")) << log().dump();
    EXPECT_EQ(2, log().count("Invalid input")) << log().dump();
    unloadPlugin();
    EXPECT_EQ(22, TRVNS_MGMT_createNamespace(nullptr));  // the record is checked first
    create.version = 1;
    EXPECT_EQ(-12, TRVNS_MGMT_createNamespace(&create));
}

TEST_F(LibraryTest, VersionedRecordsReachTheirSlotsAndFailuresAreLogged) {
    char ns[] = "NS1";
    trvns_getNamespaces_input list{1, 7, const_cast<char *>("srv"), 1};
    trvns_getNSCifsAttr_input getCifs{1, 8, ns, 0};
    trvns_setNSCifsAttr_input setCifs{1, 9, ns, 0};
    trvns_cifs_attr attr{const_cast<char *>("attr")};
    trvns_createNamespace_input create{1, ns, 0, const_cast<char *>("None"), const_cast<char *>("None"), 0};
    trvns_deleteNamespace_input del{1, ns, 10, 0};
    trvns_purgeNamespace_input purge{1, ns, 11, 0};
    trvns_salvageNamespace_input salvage{1, ns, 12, 0};
    trvns_initService_input init{1, const_cast<char *>("principal"), 2};
    struct Case {
        const char *slot;
        std::function<int()> call;
        std::vector<std::string> args;
    } cases[] = {
        {"getNamespaces", [&] { return TRVNS_MGMT_getNamespaces(&list, nullptr); }, {"7", "srv", "1"}},
        {"getNSCifsAttr", [&] { return TRVNS_MGMT_getNSCifsAttr(&getCifs, &attr); }, {"8", "NS1"}},
        {"setNSCifsAttr", [&] { return TRVNS_MGMT_setNSCifsAttr(&setCifs, &attr); }, {"9", "NS1", "attr"}},
        {"createNamespace", [&] { return TRVNS_MGMT_createNamespace(&create); }, {"NS1", "0", "None", "None"}},
        {"deleteNamespace", [&] { return TRVNS_MGMT_deleteNamespace(&del); }, {"NS1", "10"}},
        {"purgeNamespace", [&] { return TRVNS_MGMT_purgeNamespace(&purge); }, {"NS1", "11"}},
        {"salvageNamespace", [&] { return TRVNS_MGMT_salvageNamespace(&salvage); }, {"NS1", "12"}},
        {"initService", [&] { return TRVNS_MGMT_initService(&init, nullptr); }, {"principal", "2"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.slot);
        log().clear();
        pluginA().statuses[c.slot] = 17;
        EXPECT_EQ(17, c.call());
        auto calls = pluginA().takeCalls();
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(c.slot, calls[0].slot);
        EXPECT_EQ(c.args, calls[0].args);
        auto line = log().find(std::string(c.slot) + " returned error 17");
        ASSERT_NE(nullptr, line) << log().dump();
        EXPECT_EQ(LOG_ERR, line->priority);
        pluginA().statuses[c.slot] = 0;
        log().clear();
        EXPECT_EQ(0, c.call());
        EXPECT_FALSE(log().contains("returned error"));
        pluginA().takeCalls();
    }
}

TEST_F(LibraryTest, VolumeRecordsPassThroughWithoutVersion) {
    trvns_addVolumeEntry_input add{const_cast<char *>("VOL"), nullptr, const_cast<char *>("YAR"),
                                   const_cast<char *>("NS1")};
    trvns_modifyVolumeEntry_input modify{const_cast<char *>("OLD"), const_cast<char *>("NEW"), nullptr, nullptr};
    trvns_removeVolumeEntry_input remove{const_cast<char *>("VOL"), const_cast<char *>("srv"), nullptr};
    pluginA().statuses["addVolumeEntry"] = 131;
    EXPECT_EQ(131, TRVNS_MGMT_addVolumeEntry(&add));
    EXPECT_EQ(0, TRVNS_MGMT_modifyVolumeEntry(&modify));
    EXPECT_EQ(0, TRVNS_MGMT_removeVolumeEntry(&remove));
    auto calls = pluginA().takeCalls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ((std::vector<std::string>{"VOL", "<null>", "YAR", "NS1"}), calls[0].args);
    EXPECT_EQ((std::vector<std::string>{"OLD", "NEW", "<null>", "<null>"}), calls[1].args);
    EXPECT_EQ((std::vector<std::string>{"VOL", "srv", "<null>"}), calls[2].args);
    EXPECT_FALSE(log().contains("returned error"));
    EXPECT_EQ(22, TRVNS_MGMT_addVolumeEntry(nullptr));
    EXPECT_TRUE(log().contains("Invalid input"));
    unloadPlugin();
    EXPECT_EQ(-12, TRVNS_MGMT_removeVolumeEntry(&remove));
}

}  // namespace
}  // namespace trvns_test
