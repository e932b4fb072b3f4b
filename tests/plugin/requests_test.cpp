// What each slot of the plug-in puts on the wire.
#include "plugin_fixture.h"

namespace trvns_test {
namespace {

using namespace trvnamespace;

class Requests : public PluginTest {
protected:
    template <typename T>
    T only(const std::string &rpc) {
        T request = server().onlyRequest<T>(rpc);
        EXPECT_EQ("", server().lastError());
        server().clear();
        return request;
    }
};

TEST_F(Requests, CreateFolderCarriesPathAndOptionsButNoUser) {
    EXPECT_EQ(0, ops().createDirectory(500, "/NS1/home", 3));
    CreateFolderInput request = only<CreateFolderInput>("CreateFolder");
    EXPECT_EQ("/NS1/home", request.path());
    EXPECT_EQ(3u, request.options());
    // The uid only reaches the log.
    EXPECT_TRUE(log().contains("createDirectory called with uid=500, dirPath=/NS1/home, options=3")) << log().dump();
    EXPECT_TRUE(log().contains("called with userName=root, path=/NS1/home, options=3"));
}

TEST_F(Requests, CreateJunctionSendsNullTextsAsEmpty) {
    EXPECT_EQ(0, ops().createJunction(0, "/NS1/home", "j1", nullptr, "VOL1", "/", "YAR", 0));
    CreateJunctionInput request = only<CreateJunctionInput>("CreateJunction");
    EXPECT_EQ("/NS1/home", request.dirpath());
    EXPECT_EQ("j1", request.junctionname());
    EXPECT_EQ("", request.targetserver());
    EXPECT_EQ("VOL1", request.targetvolume());
    EXPECT_EQ("/", request.targetpath());
    EXPECT_EQ("YAR", request.targettype());
    EXPECT_EQ(0, ops().createJunction(0, "/NS1/home", nullptr, nullptr, nullptr, nullptr, nullptr, 9));
    request = only<CreateJunctionInput>("CreateJunction");
    EXPECT_EQ("", request.junctionname());
    EXPECT_EQ("", request.targettype());
    EXPECT_EQ(9u, request.options());
}

TEST_F(Requests, RemoveRenameAndMoveSendTheUserRoot) {
    EXPECT_EQ(0, ops().remove(77, "/NS1/a", 0xffffffffu));
    RemoveInput remove = only<RemoveInput>("Remove");
    EXPECT_EQ("root", remove.username());
    EXPECT_EQ("/NS1/a", remove.path());
    EXPECT_EQ(0xffffffffull, remove.options());

    EXPECT_EQ(0, ops().rename(0, "/NS1/a", "b", 1));
    RenameInput rename = only<RenameInput>("Rename");
    EXPECT_EQ("root", rename.username());
    EXPECT_EQ("/NS1/a", rename.path());
    EXPECT_EQ("b", rename.newname());
    EXPECT_EQ(1u, rename.options());

    EXPECT_EQ(0, ops().move(0, "/NS1/a", "/NS1/dir", 2));
    MoveInput move = only<MoveInput>("Move");
    EXPECT_EQ("root", move.username());
    EXPECT_EQ("/NS1/a", move.source());
    EXPECT_EQ("/NS1/dir", move.target());
    EXPECT_EQ(2u, move.options());
}

TEST_F(Requests, GrantAndRevokeDifferOnlyInTheTrusteeType) {
    trvns_trustee trustee{const_cast<char *>(".u.org.TREE."), const_cast<char *>("ignored"), 9, 9};
    EXPECT_EQ(0, ops().trusteeGrant(0, "/NS1/home", &trustee, 5));
    TrusteeGrantInput grant = only<TrusteeGrantInput>("TrusteeGrant");
    EXPECT_EQ(0, ops().trusteeRevoke(0, "/NS1/home", &trustee, 5));
    TrusteeRevokeInput revoke = only<TrusteeRevokeInput>("TrusteeRevoke");
    EXPECT_EQ("/NS1/home", grant.path());
    EXPECT_EQ(".u.org.TREE.", grant.trustee().name());
    EXPECT_EQ("1234567", grant.trustee().guid());
    EXPECT_EQ(123, grant.trustee().rights());
    EXPECT_EQ(1, grant.trustee().type());
    EXPECT_EQ("/NS1/home", revoke.path());
    EXPECT_EQ(".u.org.TREE.", revoke.trustee().name());
    EXPECT_EQ("1234567", revoke.trustee().guid());
    EXPECT_EQ(123, revoke.trustee().rights());
    EXPECT_EQ(0, revoke.trustee().type());
}

TEST_F(Requests, NullTrusteeIsLoggedAndRefused) {
    EXPECT_EQ(22, ops().trusteeGrant(0, "/NS1/home", nullptr, 0));
    EXPECT_TRUE(server().requests().empty());
    EXPECT_TRUE(log().contains("GRPCMGMT_trusteeGrant(")) << log().dump();
    EXPECT_TRUE(log().contains("trusteeName=(null)"));
}

TEST_F(Requests, ReadingRequestsCarryUidAndPath) {
    trvns_target_list targets{};
    EXPECT_EQ(0, ops().getTarget(4321, "/NS1/j1", &targets, 6));
    freeTargetList(&targets);
    GetJunctionTargetInput target = only<GetJunctionTargetInput>("GetJunctionTarget");
    EXPECT_EQ("/NS1/j1", target.path());
    EXPECT_EQ(6u, target.options());
    EXPECT_EQ(4321u, target.uid());

    trvns_dirStat_output dir{};
    EXPECT_EQ(0, ops().dirStat(1001, "/NS1", &dir));
    freeDirStatout(&dir);
    DirStatInput dirStat = only<DirStatInput>("DirStat");
    EXPECT_EQ("/NS1", dirStat.foldername());
    EXPECT_EQ(1001u, dirStat.uid());

    trvns_objStat_output obj{};
    captureStdout();
    EXPECT_EQ(0, ops().objStat(7, "/NS1/x", &obj));
    capturedStdout();
    ObjStatInput objStat = only<ObjStatInput>("ObjStat");
    EXPECT_EQ("/NS1/x", objStat.nodename());
    EXPECT_EQ(7u, objStat.uid());

    trvns_listAll_output all{};
    EXPECT_EQ(0, ops().listAll("NS1", 2, 10, &all));
    free(all.entries);
    ListAllInput listAll = only<ListAllInput>("ListAll");
    EXPECT_EQ("NS1", listAll.namespace_());
    EXPECT_EQ(2, listAll.pagenum());
    EXPECT_EQ(10, listAll.pagesize());

    trvns_trustee_list trustees{};
    captureStdout();
    EXPECT_EQ(0, ops().trusteeList(0, "/NS1/home", &trustees, 3));
    capturedStdout();
    freeTrusteeList(&trustees);
    EXPECT_EQ("/NS1/home", only<TrusteeListInput>("TrusteeList").path());
}

TEST_F(Requests, NamespaceRecordsAreSentFieldByField) {
    char ns[] = "NS1";
    trvns_createNamespace_input create{1, ns, 0, const_cast<char *>("None"), nullptr, 4};
    EXPECT_EQ(0, ops().createNamespace(&create));
    CreateNamespaceInput created = only<CreateNamespaceInput>("CreateNamespace");
    EXPECT_EQ("NS1", created.name());
    EXPECT_EQ("None", created.attribute1());
    EXPECT_EQ("", created.attribute2());
    EXPECT_EQ(4u, created.options());

    trvns_deleteNamespace_input del{1, ns, 12, 1};
    EXPECT_EQ(0, ops().deleteNamespace(&del));
    DeleteNamespaceInput deleted = only<DeleteNamespaceInput>("DeleteNamespace");
    EXPECT_EQ("NS1", deleted.name());
    EXPECT_EQ(12u, deleted.uid());
    EXPECT_EQ(1u, deleted.options());

    trvns_purgeNamespace_input purge{1, nullptr, 13, 0};
    EXPECT_EQ(0, ops().purgeNamespace(&purge));
    PurgeNamespaceInput purged = only<PurgeNamespaceInput>("PurgeNamespace");
    EXPECT_EQ("", purged.name());
    EXPECT_EQ(13u, purged.uid());

    trvns_salvageNamespace_input salvage{1, ns, 14, 0};
    EXPECT_EQ(0, ops().salvageNamespace(&salvage));
    EXPECT_EQ(14u, only<SalvageNamespaceInput>("SalvageNamespace").uid());

    trvns_getNamespaces_input list{1, 15, nullptr, 2};
    trvns_namespace_list namespaces{};
    EXPECT_EQ(0, ops().getNamespaces(&list, &namespaces));
    freeNamespaceList(&namespaces);
    GetNamespacesInput listed = only<GetNamespacesInput>("GetNamespaces");
    EXPECT_EQ("", listed.server());
    EXPECT_EQ(15u, listed.uid());
    EXPECT_EQ(2u, listed.options());

    trvns_setNSCifsAttr_input setCifs{1, 16, ns, 0};
    trvns_cifs_attr attr{nullptr};
    EXPECT_EQ(0, ops().setNSCifsAttr(&setCifs, &attr));
    SetNSCifsAttrInput set = only<SetNSCifsAttrInput>("SetNSCifsAttr");
    EXPECT_EQ("NS1", set.name_space());
    EXPECT_EQ("", set.cifsattr());
    EXPECT_EQ(16u, set.uid());

    trvns_initService_input init{1, const_cast<char *>("svc"), 8};
    EXPECT_EQ(0, ops().initService(&init, nullptr));
    InitServiceInput initialised = only<InitServiceInput>("InitService");
    EXPECT_EQ("svc", initialised.principal());
    EXPECT_EQ(8u, initialised.options());
}

TEST_F(Requests, VolumeRecordsSendEveryFieldEvenUnlogged) {
    trvns_addVolumeEntry_input add{const_cast<char *>("VOL1"), nullptr, const_cast<char *>("YAR"),
                                   const_cast<char *>("NS1")};
    EXPECT_EQ(0, ops().addVolumeEntry(&add));
    AddVolumeEntryInput added = only<AddVolumeEntryInput>("AddVolumeEntry");
    EXPECT_EQ("VOL1", added.volumename());
    EXPECT_EQ("", added.servername());
    EXPECT_EQ("YAR", added.targettype());
    EXPECT_EQ("NS1", added.namespace_());

    trvns_modifyVolumeEntry_input modify{const_cast<char *>("OLD"), const_cast<char *>("NEW"),
                                         const_cast<char *>("srv"), const_cast<char *>("NON-YAR")};
    EXPECT_EQ(0, ops().modifyVolumeEntry(&modify));
    ModifyVolumeEntryInput modified = only<ModifyVolumeEntryInput>("ModifyVolumeEntry");
    EXPECT_EQ("OLD", modified.oldvolumename());
    EXPECT_EQ("NEW", modified.newvolumename());
    EXPECT_EQ("srv", modified.servername());
    EXPECT_EQ("NON-YAR", modified.targettype());

    trvns_removeVolumeEntry_input remove{const_cast<char *>("VOL1"), const_cast<char *>("srv"),
                                         const_cast<char *>("YAR")};
    EXPECT_EQ(0, ops().removeVolumeEntry(&remove));
    RemoveVolumeEntryInput removed = only<RemoveVolumeEntryInput>("RemoveVolumeEntry");
    EXPECT_EQ("VOL1", removed.volumename());
    EXPECT_EQ("srv", removed.servername());
    EXPECT_EQ("YAR", removed.targettype());
}

TEST_F(Requests, VersionIsCheckedBeforeAnythingIsSent) {
    char ns[] = "NS1";
    trvns_getNamespaces_input list{2, 0, nullptr, 0};
    trvns_createNamespace_input create{0, ns, 0, nullptr, nullptr, 0};
    trvns_initService_input init{2, nullptr, 0};
    EXPECT_EQ(22, ops().getNamespaces(&list, nullptr));
    EXPECT_EQ(22, ops().createNamespace(&create));
    EXPECT_EQ(22, ops().initService(&init, nullptr));
    EXPECT_EQ(22, ops().deleteNamespace(nullptr));
    EXPECT_TRUE(server().requests().empty());
    EXPECT_TRUE(log().contains("called with name=(null), options=0")) << log().dump();
}

TEST_F(Requests, ListJunctionsAndListReachNeitherAdapterNorServer) {
    EXPECT_EQ(0, ops().listJunctions(0, "/NS1", nullptr, 0));
    EXPECT_EQ(0, ops().list(0, "/NS1", nullptr, 0));
    EXPECT_TRUE(server().requests().empty());
}

}  // namespace
}  // namespace trvns_test
