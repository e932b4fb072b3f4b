// qtrvns-mgmt end to end: the real program, library and plug-in against
// the recording server over TLS.  What each command sends and prints.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "e2e_fixture.h"

namespace trvns_test {
namespace {

using namespace trvnamespace;

TEST_F(EndToEnd, CreateDirectory) {
    RunResult ok = cli({"create", "-d", "/TRVNS/NS1/home"});
    EXPECT_EQ("Directory /TRVNS/NS1/home created successfully!\n", ok.out);
    EXPECT_EQ(0, ok.status);
    EXPECT_EQ("/NS1/home", request<CreateFolderInput>("CreateFolder").path());

    server().clear();
    replyWith<CreateFolderReply>("CreateFolder", 117);
    RunResult exists = cli({"create", "-d", "/TRVNS/NS1/home"});
    EXPECT_EQ("Creation of directory failed. Error:Object exists.\n", exists.out);
    EXPECT_EQ(17, exists.status);  // EEXIST
}

TEST_F(EndToEnd, CreateJunctionDefaultsAndSpecialTexts) {
    RunResult ok = cli({"create", "-j", "-n", "j1", "-d", "/TRVNS/NS1/home", "-v", "VOL1"});
    EXPECT_EQ("Junction j1 created Successfully!\n", ok.out);
    EXPECT_EQ(0, ok.status);
    CreateJunctionInput sent = request<CreateJunctionInput>("CreateJunction");
    EXPECT_EQ("/NS1/home", sent.dirpath());
    EXPECT_EQ("j1", sent.junctionname());
    EXPECT_EQ("", sent.targetserver());
    EXPECT_EQ("VOL1", sent.targetvolume());
    EXPECT_EQ("/", sent.targetpath());
    EXPECT_EQ("YAR", sent.targettype());

    struct Case {
        int retCode;
        std::string out;
        int status;
    } cases[] = {
        {20, "Creation of junction failed. Error:The parent path supplied to create the junction does not exist or "
             "invalid.\n\n", 22},
        {17, "Creation of junction failed. Error:Another folder/junction exists with the same name as provided in the "
             "input for junction name.\n\n", 5},
        {122, "Creation of junction failed. Error:Contains invalid parameters.\n", 22},
    };
    for (const Case &c : cases) {
        server().clear();
        replyWith<CreateJunctionReply>("CreateJunction", c.retCode);
        RunResult failed =
            cli({"create", "-j", "-n", "j1", "-d", "/TRVNS/NS1/home", "-v", "VOL1", "-s", "srv", "-T", "non-yar"});
        EXPECT_EQ(c.out, failed.out);
        EXPECT_EQ(c.status, failed.status);
        EXPECT_EQ("non-yar", request<CreateJunctionInput>("CreateJunction").targettype());
    }
}

TEST_F(EndToEnd, GetTargetPrintsEachTargetInGreen) {
    GetJunctionTargetReply reply;
    Target *target = reply.add_targets();
    target->set_server("srv");
    target->set_volume("VOL1");
    target->set_path("/dir");
    server().setReply("GetJunctionTarget", reply);
    RunResult result = cli({"gettarget", "-p", "/TRVNS/NS1/home/j1"});
    EXPECT_EQ(" Junction Target Info :\n /TRVNS/NS1/home/j1 --> \033[32m srv/VOL1/dir\n", result.out);
    EXPECT_EQ(0, result.status);
    GetJunctionTargetInput sent = request<GetJunctionTargetInput>("GetJunctionTarget");
    EXPECT_EQ("/NS1/home/j1", sent.path());
    EXPECT_EQ(4294967295u, sent.uid());

    server().clear();
    server().setReply("GetJunctionTarget", GetJunctionTargetReply());
    EXPECT_EQ(" Junction Target Info :\n", cli({"gettarget", "-p", "/TRVNS/NS1/home/j1"}).out);

    server().clear();
    replyWith<GetJunctionTargetReply>("GetJunctionTarget", 2);
    RunResult missing = cli({"gettarget", "-p", "/TRVNS/NS1/nope"});
    EXPECT_EQ("Failed to get the target junction is pointin to/. Error:Object does not exist.\n", missing.out);
    EXPECT_EQ(2, missing.status);
}

TEST_F(EndToEnd, RenameMoveAndDelete) {
    RunResult renamed = cli({"rename", "-o", "/TRVNS/NS1/home/d1", "-n", "d2"});
    EXPECT_EQ("Rename of  /TRVNS/NS1/home/d1 is completed successfully!\n", renamed.out);
    RenameInput rename = request<RenameInput>("Rename");
    EXPECT_EQ("root", rename.username());
    EXPECT_EQ("/NS1/home/d1", rename.path());
    EXPECT_EQ("d2", rename.newname());

    server().clear();
    RunResult moved = cli({"move", "-s", "/TRVNS/NS1/home/d2", "-t", "/TRVNS/NS1/project"});
    EXPECT_EQ("Move operation of  /TRVNS/NS1/home/d2 is completed successfully!\n", moved.out);
    MoveInput move = request<MoveInput>("Move");
    EXPECT_EQ("root", move.username());
    EXPECT_EQ("/NS1/home/d2", move.source());
    EXPECT_EQ("/NS1/project", move.target());

    server().clear();
    RunResult deleted = cli({"delete", "-p", "/TRVNS/NS1/project/d2"});
    EXPECT_EQ("Deletion of  /TRVNS/NS1/project/d2 is successful!\n", deleted.out);
    EXPECT_EQ("/NS1/project/d2", request<RemoveInput>("Remove").path());

    // Failures: delete and rename exit with the POSIX value, move with the status.
    struct Case {
        std::vector<std::string> args;
        const char *rpc;
        int retCode;
        std::string out;
        int status;
    } cases[] = {
        {{"delete", "-p", "/TRVNS/NS1/x"}, "Remove", 120,
         "Delete or remove operation failed. Error:Access is denied for this operation or on the object.\n", 13},
        {{"rename", "-o", "/TRVNS/NS1/x", "-n", "y"}, "Rename", 116,
         "Rename operation failed. Error:Object does not exist.\n", 2},
        {{"move", "-s", "/TRVNS/NS1/x", "-t", "/TRVNS/NS1/x/sub"}, "Move", 122,
         "Move operation failed. Error:Contains invalid parameters.\n", 122},
    };
    for (const Case &c : cases) {
        server().clear();
        RemoveReply reply;  // every one of these replies is just a retCode
        reply.set_retcode(c.retCode);
        server().setReply(c.rpc, reply);
        RunResult result = cli(c.args);
        EXPECT_EQ(c.out, result.out) << c.rpc;
        EXPECT_EQ(c.status, result.status) << c.rpc;
    }
}

TEST_F(EndToEnd, UnreachableServerGivesTheConnectionSentence) {
    server().failCalls("CreateFolder");
    RunResult result = cli({"create", "-d", "/TRVNS/NS1/home"});
    EXPECT_EQ("Creation of directory failed. Error:Failed to establish connection with Namespace service!\n",
              result.out);
    EXPECT_EQ(5, result.status);
}

TEST_F(EndToEnd, MissingClientConfigurationEndsWithConnectStatus12) {
    removeFile(kClientConfig);
    RunResult folder = cli({"create", "-d", "/TRVNS/NS1/home"});
    EXPECT_EQ("Unable to connect to the TRV Name Space service. Error Code  :12 \n", folder.out);
    EXPECT_EQ(12, folder.status);
    RunResult ns = cli({"create", "-n", "NS1"});
    EXPECT_EQ("serverConnect failed with retCode :12 \n", ns.out);
    EXPECT_EQ(12, ns.status);
    RunResult removed = cli({"delete", "-p", "/TRVNS/NS1/home"});
    EXPECT_EQ("", removed.out);
    EXPECT_EQ(12, removed.status);
    EXPECT_TRUE(server().requests().empty());
}

TEST_F(EndToEnd, NamespaceCreationAndListing) {
    RunResult created = cli({"create", "-n", "NS1"});
    EXPECT_EQ("Namespace NS1 created Successfully.\n", created.out);
    CreateNamespaceInput create = request<CreateNamespaceInput>("CreateNamespace");
    EXPECT_EQ("NS1", create.name());
    EXPECT_EQ("None", create.attribute1());
    EXPECT_EQ("None", create.attribute2());
    EXPECT_EQ(0u, create.uid());
    EXPECT_EQ(1u, create.options());

    server().clear();
    replyWith<CreateNamespaceReply>("CreateNamespace", 17);
    RunResult exists = cli({"createnamespace", "-n", "NS1"});
    EXPECT_EQ("Creation of Namespace failed. Error:Namespace already exists with the given name.\n\n", exists.out);
    EXPECT_EQ(17, exists.status);

    server().clear();
    replyWith<CreateNamespaceReply>("CreateNamespace", 118);
    RunResult tooLong = cli({"create", "-n", "NS1"});
    EXPECT_EQ("Namespace creation  failed. Error Code :118 \n"
              "Creation of Namespace failed. Error:Given input exceeds the max length allowed.\n",
              tooLong.out);
    EXPECT_EQ(118, tooLong.status);

    server().clear();
    GetNamespacesReply namespaces;
    namespaces.add_namespaces()->set_name("NS1");
    namespaces.add_namespaces()->set_name("NS2");
    server().setReply("GetNamespaces", namespaces);
    RunResult listed = cli({"list", "-n"});
    EXPECT_EQ(" Number of namespaces :2 \n NS1\n NS2\n", listed.out);
    EXPECT_EQ(0, listed.status);
    GetNamespacesInput list = request<GetNamespacesInput>("GetNamespaces");
    EXPECT_EQ("test", list.server());
    EXPECT_EQ(0u, list.uid());

    server().clear();
    replyWith<GetNamespacesReply>("GetNamespaces", -100);
    RunResult failed = cli({"list-namespaces"});
    EXPECT_EQ("Failed to list the QTRV Namespaces. Error:Not a valid Namespace.\n", failed.out);
    EXPECT_EQ(156, failed.status);  // -100 as an exit status
}

TEST_F(EndToEnd, DeleteAndSalvageSendTheUidByTheStringRule) {
    struct Case {
        const char *uidText;
        uint32_t sent;
        std::string err;
    } cases[] = {
        {"42", 42, ""},
        {"abc", 4294967295u, "Invalid UID string: 'abc'\n"},
        {"12x", 4294967295u, "Invalid UID string: '12x'\n"},
        {"4294967296", 4294967295u, "UID value out of range: '4294967296'\n"},
        {"-1", 4294967295u, "UID value out of range: '-1'\n"},
        {"4294967295", 4294967295u, ""},
        {" +7", 7, ""},
    };
    for (const Case &c : cases) {
        server().clear();
        RunResult result = cli({"deletenamespace", "-u", c.uidText, "-n", "NS1"});
        EXPECT_EQ(std::string("DeleteNamespaceHandler called.\nuid: ") + c.uidText +
                      "\nName: NS1\nOutput format: text\ndeleting namespace with uid: " + c.uidText +
                      " namepsace name :NS1 options:0 \ndisconnect completed with return code : 0\n",
                  result.out);
        EXPECT_EQ(c.err, result.err);
        EXPECT_EQ(0, result.status);
        DeleteNamespaceInput sent = request<DeleteNamespaceInput>("DeleteNamespace");
        EXPECT_EQ(c.sent, sent.uid()) << c.uidText;
        EXPECT_EQ("NS1", sent.name());
    }

    server().clear();
    replyWith<SalvageNamespaceReply>("SalvageNamespace", -100);
    RunResult salvage = cli({"salvagenamespace", "--uid", "5", "--name", "NS1", "--json"});
    EXPECT_EQ("SalvageNamespaceHandler called.\nuid: 5\nName: NS1\nOutput format: json\n"
              "salvaging namespace with uid: 5 namepsace name :NS1 options:0 \n"
              "salvageNamespace failed with retCode :-100 \n"
              "disconnect completed with return code : 0\n",
              salvage.out);
    EXPECT_EQ(156, salvage.status);
    EXPECT_EQ(5u, request<SalvageNamespaceInput>("SalvageNamespace").uid());
}

TEST_F(EndToEnd, PurgeAfterConfirmation) {
    const std::string prompt = " NOTE: This operation will delete the namespace data permanently.\n"
                               " Do you still want to proceed with purge operation?(yes/no)";
    RunResult purged = cli({"purge", "-n", "NS1"}, "yes\n");
    EXPECT_EQ(prompt + " Continuing with the operation...\nPurge operation on NS1 completed Successfully!\n",
              purged.out);
    EXPECT_EQ(0, purged.status);
    PurgeNamespaceInput sent = request<PurgeNamespaceInput>("PurgeNamespace");
    EXPECT_EQ("NS1", sent.name());
    EXPECT_EQ(0u, sent.uid());

    server().clear();
    replyWith<PurgeNamespaceReply>("PurgeNamespace", -100);
    RunResult failed = cli({"purgenamespace", "-n", "NS9"}, "YeS\n");
    EXPECT_EQ(prompt + " Continuing with the operation...\n"
                       "Purge operation of the QTRV Namespace failed. Error:Not a valid Namespace.\n",
              failed.out);
    EXPECT_EQ(156, failed.status);

    server().clear();
    EXPECT_EQ(1, cli({"purge", "-n", "NS1"}, "no\n").status);
    EXPECT_TRUE(server().requests().empty());
}

}  // namespace
}  // namespace trvns_test
