// How replies become plain records, and what the plug-in prints.
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "plugin_fixture.h"

namespace trvns_test {
namespace {

using namespace trvnamespace;

void addMetadata(google::protobuf::RepeatedPtrField<Metadata> *list, const std::string &name, int type,
                 int64_t node, int64_t size) {
    Metadata *m = list->Add();
    m->set_name(name);
    m->set_type(type);
    m->set_filetype(3);
    m->set_nodeid(node);
    m->set_size(size);
    m->set_createepoch(100);
    m->set_modifyepoch(86400 * 365);
    m->set_accessepoch(300);
}

class Results : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST_F(Results, DirStatFillsOneStatPerEntry) {
    DirStatReply reply;
    reply.set_isdir(1);
    addMetadata(reply.mutable_metadata(), "sub", 1, 11, 4096);
    addMetadata(reply.mutable_metadata(), "j1", 2, 12, 0);
    server().setReply("DirStat", reply);
    trvns_dirStat_output out{};
    out.flags = 0x10;  // stale bits stay; the plug-in only ORs bit 0 in
    ASSERT_EQ(0, ops().dirStat(0, "/NS1", &out));
    ASSERT_EQ(2u, out.count);
    EXPECT_EQ(0x11u, out.flags);
    EXPECT_STREQ("sub", out.elements[0].name);
    const struct stat &dir = *out.elements[0].st;
    EXPECT_EQ(040600u, dir.st_mode);
    EXPECT_EQ(11u, dir.st_ino);
    EXPECT_EQ(1000u, dir.st_dev);
    EXPECT_EQ(1u, dir.st_nlink);
    EXPECT_EQ(4096, dir.st_size);
    EXPECT_EQ(4096, dir.st_blksize);
    EXPECT_EQ(12, dir.st_blocks);
    EXPECT_EQ(100, dir.st_ctime);
    EXPECT_EQ(86400 * 365, dir.st_mtime);
    EXPECT_EQ(300, dir.st_atime);
    EXPECT_EQ(0600u, out.elements[1].st->st_mode);
    freeDirStatout(&out);
}

TEST_F(Results, DirStatFailureLeavesTheRecordAsSupplied) {
    DirStatReply reply;
    reply.set_retcode(123);
    addMetadata(reply.mutable_metadata(), "x", 1, 1, 1);
    server().setReply("DirStat", reply);
    trvns_dirStat_output out{};
    out.flags = 4;
    EXPECT_EQ(123, ops().dirStat(0, "/NS1/nope", &out));
    EXPECT_EQ(0u, out.count);
    EXPECT_EQ(4u, out.flags);
    EXPECT_EQ(nullptr, out.elements);
}

TEST_F(Results, ObjStatTakesTheLastElementAndPrintsBothRecords) {
    ObjStatReply reply;
    reply.set_isdir(1);
    reply.set_elementcount(9);
    addMetadata(reply.mutable_metadata(), "first", 0, 1, 1);
    addMetadata(reply.mutable_metadata(), "home", 1, 42, 512);
    server().setReply("ObjStat", reply);
    trvns_objStat_output out{};
    captureStdout();
    ASSERT_EQ(0, ops().objStat(0, "/NS1/home", &out));
    std::string printed = capturedStdout();
    EXPECT_EQ(9u, out.count);
    EXPECT_EQ(1u, out.flags);
    EXPECT_EQ(42u, out.st.st_ino);
    EXPECT_EQ(040600u, out.st.st_mode);
    EXPECT_TRUE(log().contains("The element count returned is >1: 2!")) << log().dump();
    const std::string metadata1 =
        "   Type: 1\n   Name: home\n   fileSize: 512\n   nodeId: 42\n   fileType: 3\n"
        "   CreateEpoch : 100\n   modifyEpoch : 31536000\n   accessEpoch : 300\n";
    const std::string metadata0 =
        "   Type: 0\n   Name: first\n   fileSize: 1\n   nodeId: 1\n   fileType: 3\n"
        "   CreateEpoch : 100\n   modifyEpoch : 31536000\n   accessEpoch : 300\n";
    EXPECT_EQ("ObjStatOutput\nisDir1\ncount2\nreturn Code0\nmetadataCount2\n 0th element\n" + metadata0 +
                  " 1th element\n" + metadata1 +
                  "Element count: 9\nflags: 1\nst_mtime: \tFri Jan  1 00:00:00 1971\n st_blksize:\t4096\n "
                  "st_blocks:\t12\n st_dev:\t\t1000\n st_nlink:\t1\n st_rdev:\t0\n isaDirectory : True \n",
              printed);
}

TEST_F(Results, ObjStatWithoutMetadataLeavesTheStatUntouched) {
    ObjStatReply reply;
    reply.set_elementcount(1);
    server().setReply("ObjStat", reply);
    trvns_objStat_output out{};
    out.st.st_ino = 99;
    out.st.st_mode = 0644;
    captureStdout();
    ASSERT_EQ(0, ops().objStat(0, "/NS1/x", &out));
    std::string printed = capturedStdout();
    EXPECT_EQ(99u, out.st.st_ino);
    EXPECT_EQ(0644u, out.st.st_mode);
    EXPECT_EQ(0u, printed.find("ObjStatOutput\nisDir0\ncount0\nreturn Code0\nmetadataCount0\nElement count: 1\n"))
        << printed;
}

TEST_F(Results, ObjStatPassesANonZeroRetCodeAsSuccess) {
    ObjStatReply reply;
    reply.set_retcode(2);
    server().setReply("ObjStat", reply);
    trvns_objStat_output out{};
    captureStdout();
    EXPECT_EQ(0, ops().objStat(0, "/NS1/missing", &out));
    EXPECT_NE(std::string::npos, capturedStdout().find("return Code2\n"));
}

TEST_F(Results, TargetsConvertTypeAndStatus) {
    GetJunctionTargetReply reply;
    for (int value : {1, 2, 3}) {
        Target *t = reply.add_targets();
        t->set_server("srv" + std::to_string(value));
        t->set_volume("VOL");
        t->set_path("/p");
        t->set_type(static_cast<TargetType>(value));
        t->set_status(static_cast<TargetStatus>(value == 3 ? -1 : value));
    }
    server().setReply("GetJunctionTarget", reply);
    trvns_target_list list{};
    ASSERT_EQ(0, ops().getTarget(0, "/NS1/j1", &list, 0));
    ASSERT_EQ(3, list.count);
    EXPECT_STREQ("srv1", list.targets[0].server);
    EXPECT_STREQ("VOL", list.targets[0].volume);
    EXPECT_STREQ("/p", list.targets[0].path);
    EXPECT_EQ(1, list.targets[0].type);
    EXPECT_EQ(2, list.targets[1].type);
    EXPECT_EQ(2, list.targets[1].status);
    EXPECT_EQ(0, list.targets[2].type);
    EXPECT_EQ(0, list.targets[2].status);
    freeTargetList(&list);
}

TEST_F(Results, NamespacesKeepTheirNumbers) {
    GetNamespacesReply reply;
    Namespace *ns = reply.add_namespaces();
    ns->set_name("NS1");
    ns->set_cifsattr("c");
    ns->set_trvnsattr("t");
    ns->set_flags(7);
    ns->set_number1(-1);
    ns->set_number2(2);
    ns->set_number3(3);
    server().setReply("GetNamespaces", reply);
    trvns_getNamespaces_input in{1, 0, nullptr, 0};
    trvns_namespace_list list{};
    ASSERT_EQ(0, ops().getNamespaces(&in, &list));
    ASSERT_EQ(1, list.count);
    EXPECT_STREQ("NS1", list.namespaces[0].name);
    EXPECT_STREQ("c", list.namespaces[0].cifsAttr);
    EXPECT_STREQ("t", list.namespaces[0].trvnsAttr);
    EXPECT_EQ(7u, list.namespaces[0].flags);
    EXPECT_EQ(-1, list.namespaces[0].number1);
    EXPECT_EQ(2, list.namespaces[0].number2);
    EXPECT_EQ(3, list.namespaces[0].number3);
    freeNamespaceList(&list);
}

TEST_F(Results, TrusteeListIsFilledAndPrintedTwice) {
    TrusteeListReply reply;
    for (int i = 0; i < 3; ++i) {
        Trustee *t = reply.add_trustees();
        t->set_name(".user" + std::to_string(i) + ".org.TREE.");
        t->set_guid("g" + std::to_string(i));
        t->set_type(1);
        t->set_rights(i == 2 ? -1 : 10 + i);
    }
    server().setReply("TrusteeList", reply);
    trvns_trustee_list list{};
    captureStdout();
    ASSERT_EQ(0, ops().trusteeList(0, "/NS1/home", &list, 0));
    std::string printed = capturedStdout();
    ASSERT_EQ(3u, list.count);
    EXPECT_STREQ(".user0.org.TREE.", list.trustees[0].name);
    EXPECT_STREQ("g2", list.trustees[2].guid);
    EXPECT_EQ(11u, list.trustees[1].rights);
    std::string once = "TrusteeListOutput\nreturn Code0\ncount :3\n";
    for (int i = 0; i < 3; ++i) {
        once += " " + std::to_string(i) + "th trustee\n name :  .user" + std::to_string(i) +
                ".org.TREE.\n guid :  g" + std::to_string(i) + "\n type :  0\n rights :   " +
                (i == 2 ? std::string("4294967295") : std::to_string(10 + i)) + "\n";
    }
    // The client prints it once, the adapter once more.
    EXPECT_EQ(once + once, printed);
    freeTrusteeList(&list);
}

TEST_F(Results, TrusteeListFailurePrintsOnceAndFillsNothing) {
    TrusteeListReply reply;
    reply.set_retcode(2);
    reply.add_trustees()->set_name("x");
    server().setReply("TrusteeList", reply);
    trvns_trustee_list list{};
    captureStdout();
    EXPECT_EQ(2, ops().trusteeList(0, "/NS1/none", &list, 0));
    EXPECT_EQ("TrusteeListOutput\nreturn Code2\ncount :1\n 0th trustee\n name :  x\n guid :  \n type :  0\n"
              " rights :   0\n",
              capturedStdout());
    EXPECT_EQ(0u, list.count);
    EXPECT_EQ(nullptr, list.trustees);
}

TEST_F(Results, CifsAttributeReadPrintsTwoLines) {
    GetNSCifsAttrReply reply;
    reply.set_cifsattr("share=yes");
    server().setReply("GetNSCifsAttr", reply);
    trvns_getNSCifsAttr_input in{1, 0, const_cast<char *>("NS1"), 0};
    trvns_cifs_attr attr{nullptr};
    captureStdout();
    ASSERT_EQ(0, ops().getNSCifsAttr(&in, &attr));
    std::string printed = capturedStdout();
    char address[64];
    snprintf(address, sizeof address, "%p", static_cast<void *>(&attr));
    EXPECT_EQ(std::string("cifsAttr") + address + "\nAttr after the extraction to Cshare=yes\n", printed);
    EXPECT_STREQ("share=yes", attr.cifsAttr);
    freeCifsAttr(&attr);
}

TEST_F(Results, ListAllCopiesEveryRow) {
    ListAllReply reply;
    reply.set_totaljunctions(25);
    for (int i = 0; i < 3; ++i) {
        MetadataForListAll *row = reply.add_junctions();
        row->set_foldername("/home" + std::to_string(i));
        row->set_junctionname("j" + std::to_string(i));
        row->set_targetpath("srv/VOL/p" + std::to_string(i));
    }
    server().setReply("ListAll", reply);
    trvns_listAll_output out{};
    ASSERT_EQ(0, ops().listAll("NS1", 1, 3, &out));
    EXPECT_EQ(25, out.totalJunctions);
    ASSERT_EQ(3, out.count);
    EXPECT_STREQ("/home2", out.entries[2].folderName);
    EXPECT_STREQ("j1", out.entries[1].junctionName);
    EXPECT_STREQ("srv/VOL/p0", out.entries[0].targetPath);
    for (int i = 0; i < out.count; ++i) {
        free(out.entries[i].folderName);
        free(out.entries[i].junctionName);
        free(out.entries[i].targetPath);
    }
    free(out.entries);
}

// Big replies are decoded element by element from the received slices;
// every element must come through whole, wherever a slice ends, and the
// fields that follow the list must still be read.
TEST_F(Results, BigListingsArriveWholeAcrossManySlices) {
    constexpr int kRows = 20000;
    auto text = [](const char *stem, int i) { return stem + std::string(static_cast<size_t>(i % 37), 'x') + std::to_string(i); };
    ListAllReply all;
    DirStatReply dir;
    for (int i = 0; i < kRows; ++i) {
        MetadataForListAll *row = all.add_junctions();
        row->set_foldername(text("/TRVNS/NS1/f", i));
        row->set_junctionname(text("j", i));
        row->set_targetpath(text("srv/VOL/p", i));
        addMetadata(dir.mutable_metadata(), text("e", i), 1 + i % 2, i, i * 3);
    }
    all.set_totaljunctions(kRows + 1);
    dir.set_isdir(1);
    server().setReply("ListAll", all);
    server().setReply("DirStat", dir);

    trvns_listAll_output listed{};
    ASSERT_EQ(0, ops().listAll("NS1", 0, 0, &listed));
    EXPECT_EQ(kRows + 1, listed.totalJunctions);
    ASSERT_EQ(kRows, listed.count);
    int wrongRows = 0;
    for (int i = 0; i < kRows; ++i) {
        const trvns_junction_entry &e = listed.entries[i];
        wrongRows += text("/TRVNS/NS1/f", i) != e.folderName || text("j", i) != e.junctionName ||
                     text("srv/VOL/p", i) != e.targetPath;
        free(e.folderName);
        free(e.junctionName);
        free(e.targetPath);
    }
    free(listed.entries);
    EXPECT_EQ(0, wrongRows);

    trvns_dirStat_output stat{};
    ASSERT_EQ(0, ops().dirStat(0, "/NS1", &stat));
    EXPECT_EQ(1u, stat.flags & TRVNS_FLAG_ISDIR);
    ASSERT_EQ(static_cast<uint64_t>(kRows), stat.count);
    int wrongEntries = 0;
    for (int i = 0; i < kRows; ++i) {
        const trvns_stat_element &e = stat.elements[i];
        wrongEntries += text("e", i) != e.name || e.st->st_ino != static_cast<ino_t>(i) || e.st->st_size != i * 3 ||
                        e.st->st_mode != (i % 2 == 0 ? (S_IFDIR | 0600u) : 0600u);
    }
    freeDirStatout(&stat);
    EXPECT_EQ(0, wrongEntries);
}

TEST_F(Results, ListAllFailureWithRowsFillsNothing) {
    ListAllReply reply;
    reply.set_retcode(2);
    reply.add_junctions()->set_junctionname("j0");
    server().setReply("ListAll", reply);
    trvns_listAll_output out{};
    EXPECT_EQ(2, ops().listAll("NS1", 1, 3, &out));
    EXPECT_EQ(0, out.count);
    EXPECT_EQ(nullptr, out.entries);
}

TEST_F(Results, ConvertersKeepOneAndTwoOnly) {
    using Convert = int32_t (*)(int);
    auto type = reinterpret_cast<Convert>(dlsym(pluginHandle(), "convertTargetType"));
    auto status = reinterpret_cast<Convert>(dlsym(pluginHandle(), "convertStatus"));
    ASSERT_NE(nullptr, type);
    ASSERT_NE(nullptr, status);
    for (Convert convert : std::initializer_list<Convert>{type, status}) {
        EXPECT_EQ(0, convert(0));
        EXPECT_EQ(1, convert(1));
        EXPECT_EQ(2, convert(2));
        EXPECT_EQ(0, convert(3));
        EXPECT_EQ(0, convert(-1));
    }
}

}  // namespace
}  // namespace trvns_test
