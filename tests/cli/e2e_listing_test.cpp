// qtrvns-mgmt end to end: listing, trustee, CIFS attribute and volume
// commands against the recording server.
#include <cstdlib>
#include <ctime>
#include <regex>

#include "e2e_fixture.h"

namespace trvns_test {
namespace {

class Listing : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        setenv("TZ", "UTC", 1);  // for the ctime text of the children
    }
};

void addMetadata(google::protobuf::RepeatedPtrField<Metadata> *list, const std::string &name, int type) {
    Metadata *m = list->Add();
    m->set_name(name);
    m->set_type(type);
    m->set_filetype(3);
    m->set_nodeid(42);
    m->set_size(512);
    m->set_createepoch(100);
    m->set_modifyepoch(31536000);  // Fri Jan  1 00:00:00 1971
    m->set_accessepoch(300);
}

TEST_F(Listing, ObjStatPrintsEveryLayersView) {
    ObjStatReply reply;
    reply.set_isdir(1);
    reply.set_elementcount(1);
    addMetadata(reply.mutable_metadata(), "home", 1);
    server().setReply("ObjStat", reply);
    RunResult result = cli({"objstat", "-p", "/TRVNS/NS1/home"});
    const std::string statBlock =
        "Element count: 1\nflags: 1\nst_mtime: \tFri Jan  1 00:00:00 1971\n st_blksize:\t4096\n st_blocks:\t12\n "
        "st_dev:\t\t1000\n st_nlink:\t1\n st_rdev:\t0\n isaDirectory : True \n";
    // The plug-in's client, the adapter, the library and the handler each print.
    EXPECT_EQ("ObjStatHandler called.\nPath: /TRVNS/NS1/home\nOutput format: text\n"
              "ObjStatOutput\nisDir1\ncount1\nreturn Code0\nmetadataCount1\n 0th element\n"
              "   Type: 1\n   Name: home\n   fileSize: 512\n   nodeId: 42\n   fileType: 3\n"
              "   CreateEpoch : 100\n   modifyEpoch : 31536000\n   accessEpoch : 300\n" +
                  statBlock + statBlock + statBlock,
              result.out);
    EXPECT_EQ(0, result.status);
    ObjStatInput sent = request<ObjStatInput>("ObjStat");
    EXPECT_EQ("/NS1/home", sent.nodename());
    EXPECT_EQ(0u, sent.uid());

    server().clear();
    server().failCalls("ObjStat");
    RunResult failed = cli({"objstat", "-p", "/TRVNS/NS1/home"});
    EXPECT_EQ(255, failed.status);  // -1 from the failed call
}

TEST_F(Listing, ListDirectoryAsRootAndAsAUser) {
    DirStatReply reply;
    reply.set_isdir(1);
    addMetadata(reply.mutable_metadata(), "sub", 1);
    addMetadata(reply.mutable_metadata(), "j1", 2);
    server().setReply("DirStat", reply);
    removeFile(kTreeConfig);  // root needs no name processing
    RunResult asRoot = cli({"list", "-p", "/TRVNS/NS1/home"});
    EXPECT_EQ("Element count: 2\n"
              "dr-xr-xr-x Fri Jan  1 00:00:00 1971      12 1 \033[34m sub/ \033[0m\n"
              "lr--r--r-- Fri Jan  1 00:00:00 1971      12 1 \033[32m j1  \033[0m\n",
              asRoot.out);
    EXPECT_EQ(0, asRoot.status);
    DirStatInput sent = request<DirStatInput>("DirStat");
    EXPECT_EQ("/NS1/home", sent.foldername());
    EXPECT_EQ(0u, sent.uid());

    writeFile(kTreeConfig, "x7q.base.tree-name=MY_TREE\n");
    server().clear();
    server().setReply("DirStat", reply);
    RunResult asUser = cli({"list", "-u", "velgarduser.context", "-p", "/TRVNS/NS1/home"});
    EXPECT_EQ(0, asUser.status) << asUser.out;
    EXPECT_EQ(1234u, request<DirStatInput>("DirStat").uid());

    server().clear();
    RunResult unknown = cli({"list", "-p", "/TRVNS/NS1/home", "-u", "nobody-here.org"});
    EXPECT_EQ("Failed to get the user details from UXR service.:2 \n", unknown.out);
    EXPECT_EQ(2, unknown.status);
    EXPECT_TRUE(server().requests().empty());

    removeFile(kTreeConfig);
    RunResult noTree = cli({"list", "-p", "/TRVNS/NS1/home", "-u", "ROOT"});
    EXPECT_EQ("ERROR: getVelgardTree: Failed to open /etc/opt/brenvik/Velgard/conf/tmz.conf: No such file or "
              "directory\nERROR: processUserName: Failed to get Velgard tree name\nFailed to process user!\n",
              noTree.out);
    EXPECT_EQ(1, noTree.status);

    replyWith<DirStatReply>("DirStat", 123);
    RunResult missing = cli({"list", "-p", "/TRVNS/NS1/nope"});
    EXPECT_EQ("Directory listing operation failed. Error:Provided path does not exist.\n", missing.out);
    EXPECT_EQ(123, missing.status);
}

TEST_F(Listing, JunctionPagesNumberRowsAcrossPages) {
    ListAllReply reply;
    reply.set_totaljunctions(25);
    for (int i = 10; i < 20; ++i) {
        MetadataForListAll *row = reply.add_junctions();
        row->set_foldername("/home" + std::to_string(i));
        row->set_junctionname("j" + std::to_string(i));
        row->set_targetpath("srv/VOL/" + std::to_string(i));
    }
    server().setReply("ListAll", reply);
    RunResult result = cli({"lj", "-n", "NS1", "-p", "2", "-s", "10"});
    std::string expected = "Showing page 2 of 3 [Page size = 10] with total number of junctions: 25\n\n"
                           " | S.No   | Folder Name          | Junction Name       | Target Path                    \n\n";
    for (int i = 10; i < 20; ++i) {
        char row[200];
        snprintf(row, sizeof row, " | %-6d | %-20s | %-20s| %-30s \n", i + 1, ("/home" + std::to_string(i)).c_str(),
                 ("j" + std::to_string(i)).c_str(), ("srv/VOL/" + std::to_string(i)).c_str());
        expected += row;
    }
    EXPECT_EQ(expected, result.out);
    EXPECT_EQ(0, result.status);
    ListAllInput sent = request<ListAllInput>("ListAll");
    EXPECT_EQ("NS1", sent.namespace_());
    EXPECT_EQ(2, sent.pagenum());
    EXPECT_EQ(10, sent.pagesize());

    server().clear();
    RunResult empty = cli({"listJunctions", "--namespace", "NS2"});
    EXPECT_EQ("No junctions present in the given name space. :0 \n"
              "Showing page 1 of 1 [Page size = 0] with total number of junctions: 0\n\n"
              " | S.No   | Folder Name          | Junction Name       | Target Path                    \n\n",
              empty.out);
    EXPECT_EQ(0, empty.status);

    server().clear();
    replyWith<ListAllReply>("ListAll", -302);
    RunResult bad = cli({"lj", "-n", "NS1", "--pagenum=9", "--pagesize=10"});
    EXPECT_EQ("listAll failed with retCode :-302 \nAll junction listing operation failed. Error:Incorrect/out of "
              "range value specified for page number or page size.\n",
              bad.out);
    EXPECT_EQ(256 - 302 % 256, bad.status);
}

TEST_F(Listing, ListJunctionsOnlyReports) {
    RunResult result = cli({"list-junctions", "-p", "/TRVNS/NS1/home", "--xml"});
    EXPECT_EQ("ListJunctionsHandler called.\nDirectory Path: /TRVNS/NS1/home\nOutput format: xml\n"
              "listing jucntion at the path: /TRVNS/NS1/home\ndisconnect completed with return code : 0\n",
              result.out);
    EXPECT_EQ(0, result.status);
    EXPECT_TRUE(server().requests().empty());
}

TEST_F(Listing, TrusteeGrantAndRevokeSendCanonicalNames) {
    RunResult granted = cli({"trustee", "-g", "-p", "/TRVNS/NS1/home", "-t", "velgarduser.context"});
    EXPECT_EQ("Trustee .velgarduser.context.MY_TREE. granted rights on /TRVNS/NS1/home successfully!\n", granted.out);
    EXPECT_EQ(0, granted.status);
    TrusteeGrantInput grant = request<TrusteeGrantInput>("TrusteeGrant");
    EXPECT_EQ("/NS1/home", grant.path());
    EXPECT_EQ(".velgarduser.context.MY_TREE.", grant.trustee().name());
    EXPECT_EQ(1, grant.trustee().type());

    // The same request through the other command word.
    server().clear();
    EXPECT_EQ(granted.out, cli({"trustee-grant", "-p", "/TRVNS/NS1/home", "-t", "velgarduser.context"}).out);
    EXPECT_EQ(grant.SerializeAsString(), request<TrusteeGrantInput>("TrusteeGrant").SerializeAsString());

    server().clear();
    removeFile(kTreeConfig);  // a domain user needs no tree name
    replyWith<TrusteeRevokeReply>("TrusteeRevoke", 60);
    RunResult revoked = cli({"trustee", "-r", "-t", "ADDOMAIN\\aduser", "-p", "/TRVNS/NS1/home"});
    EXPECT_EQ("Trustee revoke operation failed. Error:The user is already a trustee on the object.\n", revoked.out);
    EXPECT_EQ(5, revoked.status);
    TrusteeRevokeInput revoke = request<TrusteeRevokeInput>("TrusteeRevoke");
    EXPECT_EQ("ADDOMAIN\\aduser", revoke.trustee().name());
    EXPECT_EQ(0, revoke.trustee().type());

    server().clear();
    RunResult noTree = cli({"trustee", "-g", "-p", "/TRVNS/NS1/home", "-t", "cn=admin,o=my_org"});
    EXPECT_EQ("ERROR: getVelgardTree: Failed to open /etc/opt/brenvik/Velgard/conf/tmz.conf: No such file or "
              "directory\nERROR: processUserName: Failed to get Velgard tree name for LDAP DN conversion\n"
              "Failed to process trustee Name!\n",
              noTree.out);
    EXPECT_EQ(1, noTree.status);
    EXPECT_TRUE(server().requests().empty());
}

TEST_F(Listing, TrusteeListIsPrintedByEveryLayer) {
    TrusteeListReply reply;
    Trustee *t = reply.add_trustees();
    t->set_name(".a.o.MY_TREE.");
    t->set_guid("g1");
    t->set_type(1);
    t->set_rights(5);
    server().setReply("TrusteeList", reply);
    RunResult result = cli({"trustee-list", "-p", "/TRVNS/NS1/home"});
    const std::string intermediate = "TrusteeListOutput\nreturn Code0\ncount :1\n 0th trustee\n name :  .a.o.MY_TREE.\n"
                                     " guid :  g1\n type :  0\n rights :   5\n";
    const std::string plain = "  name:.a.o.MY_TREE.\n  guid:g1\n  type:0\n  rights:5\n";
    EXPECT_EQ("TrusteeListHandler called.\nPath: /TRVNS/NS1/home\nOutput format: text\n"
              "trustee listing at the path: /TRVNS/NS1/home\n" +
                  intermediate + intermediate + plain + plain + "disconnect completed with return code : 0\n",
              result.out);
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("/NS1/home", request<TrusteeListInput>("TrusteeList").path());

    server().clear();
    replyWith<TrusteeListReply>("TrusteeList", 2);
    RunResult failed = cli({"trustee-list", "-p", "/TRVNS/NS1/nope"});
    EXPECT_NE(std::string::npos, failed.out.find("trustee listing failed with retCode :2 \n"));
    EXPECT_EQ(2, failed.status);
}

TEST_F(Listing, CifsAttributes) {
    GetNSCifsAttrReply reply;
    reply.set_cifsattr("share=1");
    server().setReply("GetNSCifsAttr", reply);
    RunResult got = cli({"get-cifs-attr", "-n", "NS1", "-u", "7"});
    EXPECT_TRUE(std::regex_match(got.out, std::regex("Parsed UID: 7\nGetCifsAttrHandler called.\nnamespace: NS1\n"
                                                     "uid: 7\nOutput format: text\n"
                                                     "getCifsAttr tuple <namespace:NS1  uid:7>\n"
                                                     "cifsAttr0x[0-9a-f]+\nAttr after the extraction to Cshare=1\n"
                                                     "cifs attrs is :share=1\n"
                                                     "disconnect completed with return code : 0\n")))
        << got.out;
    EXPECT_EQ(0, got.status);
    GetNSCifsAttrInput get = request<GetNSCifsAttrInput>("GetNSCifsAttr");
    EXPECT_EQ("NS1", get.name_space());
    EXPECT_EQ(7u, get.uid());

    server().clear();
    replyWith<SetNSCifsAttrReply>("SetNSCifsAttr", -100);
    RunResult set = cli({"set-cifs-attr", "-n", "NS1", "-u", "8", "-a", "share=0"});
    EXPECT_EQ("SetCifsAttrHandler called.\nnamespace: NS1\nuid: 8\nOutput format: text\n"
              "setCifsAttr tuple <namespace:NS1  uid:8  attr:share=0 >\n"
              "setCifs attr failed with retCode :-100 \n"
              "disconnect completed with return code : 0\n",
              set.out);
    EXPECT_EQ(156, set.status);
    SetNSCifsAttrInput sent = request<SetNSCifsAttrInput>("SetNSCifsAttr");
    EXPECT_EQ("share=0", sent.cifsattr());
    EXPECT_EQ(8u, sent.uid());
}

TEST_F(Listing, Volumes) {
    RunResult added = cli({"volume", "-a", "VOL1"});
    EXPECT_EQ("Successfully added the volume \"VOL1\"\n", added.out);
    EXPECT_EQ(0, added.status);
    AddVolumeEntryInput add = request<AddVolumeEntryInput>("AddVolumeEntry");
    EXPECT_EQ("VOL1", add.volumename());
    EXPECT_EQ("", add.servername());
    EXPECT_EQ("YAR", add.targettype());
    EXPECT_EQ("", add.namespace_());

    server().clear();
    replyWith<AddVolumeEntryReply>("AddVolumeEntry", 131);
    RunResult exists = cli({"volume", "-a", "VOL1", "-a", "VOL2", "-s", "nonYarServer", "-t", "non-yar", "-n", "NS1"});
    EXPECT_EQ("Add volume failed. Error: Target already exists.\n", exists.out);
    EXPECT_EQ(131, exists.status);
    add = request<AddVolumeEntryInput>("AddVolumeEntry");
    EXPECT_EQ("VOL2", add.volumename());
    EXPECT_EQ("nonYarServer", add.servername());
    EXPECT_EQ("non-yar", add.targettype());
    EXPECT_EQ("NS1", add.namespace_());

    server().clear();
    RunResult modified = cli({"volume", "-m", "VOL1", "-n", "VOL2", "-t", "yar"});
    EXPECT_EQ("Successfully modified the volume name from \"VOL1\" to \"VOL2\"\n", modified.out);
    ModifyVolumeEntryInput modify = request<ModifyVolumeEntryInput>("ModifyVolumeEntry");
    EXPECT_EQ("VOL1", modify.oldvolumename());
    EXPECT_EQ("VOL2", modify.newvolumename());
    EXPECT_EQ("yar", modify.targettype());

    server().clear();
    replyWith<RemoveVolumeEntryReply>("RemoveVolumeEntry", 117);
    RunResult removed = cli({"volume", "--remove", "VOL2", "-s", "srv"});
    EXPECT_EQ("Error code: 117\nRemove volume failed. Error: Internal error ouccured during this operation.\n",
              removed.out);
    EXPECT_EQ(117, removed.status);
    RemoveVolumeEntryInput remove = request<RemoveVolumeEntryInput>("RemoveVolumeEntry");
    EXPECT_EQ("VOL2", remove.volumename());
    EXPECT_EQ("srv", remove.servername());
    EXPECT_EQ("", remove.targettype());
}

}  // namespace
}  // namespace trvns_test
