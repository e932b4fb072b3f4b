// Status rules of failed calls, the TLS channel, large replies and the
// plug-in's entry.
#include <dlfcn.h>

#include <cstdlib>

#include "plugin_fixture.h"

namespace trvns_test {
namespace {

using namespace trvnamespace;

class Connection : public PluginTest {};

TEST_F(Connection, EntryReturnsTheSameTableEveryTime) {
    auto entry = reinterpret_cast<trvns_getMgmtPluginOps_fn>(dlsym(pluginHandle(), "getMgmtPluginOps"));
    EXPECT_EQ(entry(), entry());
    EXPECT_EQ(entry(), &ops());
}

TEST_F(Connection, RetCodesPassThroughUnchanged) {
    CreateFolderReply folder;
    folder.set_retcode(117);
    server().setReply("CreateFolder", folder);
    EXPECT_EQ(117, ops().createDirectory(0, "/NS1/home", 0));
    RemoveReply removed;
    removed.set_retcode(-100);
    server().setReply("Remove", removed);
    EXPECT_EQ(-100, ops().remove(0, "/NS1/home", 0));
    AddVolumeEntryReply volume;
    volume.set_retcode(131);
    server().setReply("AddVolumeEntry", volume);
    trvns_addVolumeEntry_input add{};
    EXPECT_EQ(131, ops().addVolumeEntry(&add));
}

TEST_F(Connection, FailedCallsMapToTheirStatuses) {
    for (const char *rpc : {"CreateFolder", "ObjStat", "InitService", "GetNSCifsAttr", "DirStat", "ListAll"}) {
        server().failCalls(rpc);
    }
    EXPECT_EQ(112, ops().createDirectory(0, "/NS1/home", 0));
    trvns_objStat_output obj{};
    EXPECT_EQ(-1, ops().objStat(0, "/NS1/home", &obj));
    trvns_initService_input init{1, nullptr, 0};
    EXPECT_EQ(-12, ops().initService(&init, nullptr));
    trvns_getNSCifsAttr_input cifs{1, 0, const_cast<char *>("NS1"), 0};
    trvns_cifs_attr attr{nullptr};
    EXPECT_EQ(112, ops().getNSCifsAttr(&cifs, &attr));
    EXPECT_EQ(nullptr, attr.cifsAttr);
    trvns_dirStat_output dir{};
    EXPECT_EQ(112, ops().dirStat(0, "/NS1", &dir));
    EXPECT_EQ(nullptr, dir.elements);
    trvns_listAll_output all{};
    EXPECT_EQ(112, ops().listAll("NS1", 0, 0, &all));
}

TEST_F(Connection, NegativePageValuesAreRefusedBeforeSending) {
    trvns_listAll_output out{};
    EXPECT_EQ(-300, ops().listAll("NS1", -1, 10, &out));
    EXPECT_EQ(-300, ops().listAll("NS1", 1, -10, &out));
    EXPECT_TRUE(server().requests().empty());
    EXPECT_EQ(0, ops().listAll("NS1", 0, 0, &out));
    EXPECT_EQ(1u, server().requests().size());
    free(out.entries);
}

TEST_F(Connection, ReplyLargerThanFourMebibytesArrives) {
    DirStatReply reply;
    const std::string longName(1000, 'n');
    for (int i = 0; i < 6000; ++i) {
        Metadata *m = reply.add_metadata();
        m->set_name(longName + std::to_string(i));
        m->set_nodeid(i);
    }
    ASSERT_GT(reply.ByteSizeLong(), 4u << 20);
    server().setReply("DirStat", reply);
    trvns_dirStat_output out{};
    ASSERT_EQ(0, ops().dirStat(0, "/NS1/big", &out));
    EXPECT_EQ(6000u, out.count);
    EXPECT_EQ(5999u, out.elements[5999].st->st_ino);
    freeDirStatout(&out);
}

TEST_F(Connection, MoreTargetsThanThePlainCountHoldsAreCutWithALogLine) {
    GetJunctionTargetReply reply;
    for (int i = 0; i < 65536 + 2; ++i) reply.add_targets()->set_server("s");
    server().setReply("GetJunctionTarget", reply);
    trvns_target_list list{};
    ASSERT_EQ(0, ops().getTarget(0, "/NS1/j", &list, 0));
    EXPECT_EQ(65535, list.count);
    EXPECT_STREQ("s", list.targets[65534].server);
    EXPECT_TRUE(log().contains("65538 targets received, only the first 65535 are returned")) << log().dump();
    freeTargetList(&list);
}

TEST_F(Connection, UnreachableServerGives112) {
    ops().disconnect();
    // A port that nothing listens on: bind one, close it, then connect there.
    ASSERT_EQ(0, connectTo("127.0.0.1", "1", TestPki::get().caCert));
    EXPECT_EQ(112, ops().createDirectory(0, "/NS1/home", 0));
    trvns_objStat_output obj{};
    EXPECT_EQ(-1, ops().objStat(0, "/NS1/home", &obj));
}

TEST_F(Connection, ServerCertificateFromAnotherAuthorityGives112) {
    ops().disconnect();
    ASSERT_EQ(0, connectTo("127.0.0.1", std::to_string(server().port()), TestPki::get().otherCaCert));
    EXPECT_EQ(112, ops().createDirectory(0, "/NS1/home", 0));
    EXPECT_TRUE(server().requests().empty());
}

TEST_F(Connection, UnreadableCertificateFileFailsConnect) {
    ops().disconnect();
    log().clear();
    EXPECT_EQ(112, connectTo("127.0.0.1", std::to_string(server().port()), "/etc/opt/brenvik/none.pem"));
    auto line = log().find("Unable to open file /etc/opt/brenvik/none.pem");
    ASSERT_NE(nullptr, line) << log().dump();
    EXPECT_EQ(3, line->priority);
    // Not connected: operations report the connection failure, no crash.
    EXPECT_EQ(112, ops().createDirectory(0, "/NS1/home", 0));
    trvns_dirStat_output dir{};
    EXPECT_EQ(112, ops().dirStat(0, "/NS1", &dir));
    EXPECT_TRUE(server().requests().empty());
}

TEST_F(Connection, DisconnectTwiceIsHarmless) {
    EXPECT_EQ(0, ops().disconnect());
    EXPECT_EQ(0, ops().disconnect());
}

TEST_F(Connection, LibraryCallReachesTheServerAsCreateFolder) {
    // A program linked to the library, with this plug-in installed in the
    // plug-in directory.
    copyFile(TRVNS_PLUGIN_FILE, "/opt/brenvik/qtrvns/plugins/libremoteops.so");
    server().writeClientConfig("/etc/opt/brenvik/qtrvns/qtrvnsclientconfig.ini");
    CreateFolderReply reply;
    reply.set_retcode(117);
    server().setReply("CreateFolder", reply);
    RunResult result = run(std::string(TRVNS_PROBE) + " mkdir /TRVNS/NS1/home");
    EXPECT_EQ("connect=0\nmkdir=117\ndisconnect=0\n", result.out) << result.err;
    CreateFolderInput request = server().onlyRequest<CreateFolderInput>("CreateFolder");
    EXPECT_EQ("", server().lastError());
    EXPECT_EQ("/NS1/home", request.path());
}

}  // namespace
}  // namespace trvns_test
