// The namespace server through its gRPC interface: semantics and codes of
// each RPC, persistence, concurrency and crash safety.
#include <signal.h>

#include <atomic>
#include <set>
#include <thread>

#include "server_fixture.h"

namespace trvns_test {
namespace {

using namespace trvnamespace;
using Names = std::vector<std::string>;

TEST_F(ServerTest, NamespaceLifecycle) {
    EXPECT_EQ(0, createNamespace("NS1"));
    EXPECT_EQ(17, createNamespace("NS1"));
    EXPECT_EQ(118, createNamespace("a"));
    EXPECT_EQ(118, createNamespace(std::string(32, 'n')));
    EXPECT_EQ(122, createNamespace("my-ns"));
    EXPECT_EQ(0, createNamespace("NS2"));
    EXPECT_EQ((Names{"NS1", "NS2"}), namespaces());
    EXPECT_EQ(0, createFolder("/NS1/home"));

    // Delete is recoverable: gone from use and listing until salvaged.
    EXPECT_EQ(0, deleteNamespace("NS1"));
    EXPECT_EQ(-100, deleteNamespace("NS1"));
    EXPECT_EQ((Names{"NS2"}), namespaces());
    EXPECT_EQ(-100, createFolder("/NS1/other"));
    EXPECT_EQ(-100, salvageNamespace("NS2"));  // not deleted
    EXPECT_EQ(0, salvageNamespace("NS1"));
    EXPECT_EQ((Names{"home"}), names("/NS1"));

    // Purge removes it and everything in it for good.
    EXPECT_EQ(0, purgeNamespace("NS1"));
    EXPECT_EQ(-100, purgeNamespace("NS1"));
    EXPECT_EQ(-100, salvageNamespace("NS1"));
    EXPECT_EQ(0, createNamespace("NS1"));
    EXPECT_TRUE(names("/NS1").empty());
}

TEST_F(ServerTest, FoldersJunctionsAndTheirCodes) {
    ASSERT_EQ(0, createNamespace("NS1"));
    EXPECT_EQ(0, createFolder("/NS1/home"));
    EXPECT_EQ(117, createFolder("/NS1/home"));
    EXPECT_EQ(20, createFolder("/NS1/missing/dir"));
    EXPECT_EQ(-100, createFolder("/NOPE/dir"));
    EXPECT_EQ(122, createFolder("/NS1/home/.."));
    EXPECT_EQ(122, createFolder("NS1/home"));
    EXPECT_EQ(122, createFolder("/"));
    EXPECT_EQ(118, createFolder("/NS1/" + std::string(256, 'x')));
    EXPECT_EQ(0, createJunction("/NS1/home", "j1", "VOL1"));
    EXPECT_EQ(17, createJunction("/NS1/home", "j1", "VOL1"));
    EXPECT_EQ(17, createJunction("/NS1", "home", "VOL1"));
    EXPECT_EQ(20, createJunction("/NS1/nowhere", "j2", "VOL1"));
    EXPECT_EQ(20, createJunction("/NS1/home/j1", "j2", "VOL1"));  // a junction is no folder
    EXPECT_EQ(125, createJunction("/NS1/home", "j2", "SHARE", "", "NON-YAR"));
    EXPECT_EQ(121, createJunction("/NS1/home", "j2", "VOL1", "srv", "OTHER"));
    EXPECT_EQ(0, createJunction("/NS1/home", "j2", "SHARE", "winsrv", "non-yar", "/x"));
    EXPECT_EQ(20, createFolder("/NS1/home/j1/sub"));

    GetJunctionTargetInput in;
    in.set_path("/NS1/home/j2");
    GetJunctionTargetReply target;
    grpc::ClientContext context;
    ASSERT_TRUE(stub_->GetJunctionTarget(&context, in, &target).ok());
    ASSERT_EQ(0, target.retcode());
    ASSERT_EQ(1, target.targets_size());
    EXPECT_EQ("winsrv", target.targets(0).server());
    EXPECT_EQ("SHARE", target.targets(0).volume());
    EXPECT_EQ("/x", target.targets(0).path());
    EXPECT_EQ(2, target.targets(0).type());

    EXPECT_EQ(1, remove("/NS1/home"));  // not empty
    EXPECT_EQ(0, rename("/NS1/home/j2", "share"));
    EXPECT_EQ(117, rename("/NS1/home/share", "j1"));
    EXPECT_EQ(122, rename("/NS1/home/share", "a/b"));
    EXPECT_EQ(116, rename("/NS1/home/none", "x"));
    EXPECT_EQ(0, createFolder("/NS1/home/dir1"));
    EXPECT_EQ(122, move("/NS1/home", "/NS1/home/dir1"));  // never into its own subtree
    EXPECT_EQ(20, move("/NS1/home/share", "/NS1/home/j1"));
    EXPECT_EQ(0, move("/NS1/home/share", "/NS1/home/dir1"));
    EXPECT_EQ((Names{"dir1", "j1"}), names("/NS1/home"));
    EXPECT_EQ((Names{"share"}), names("/NS1/home/dir1"));
    EXPECT_EQ(0, remove("/NS1/home/dir1/share"));
    EXPECT_EQ(0, remove("/NS1/home/dir1"));
    EXPECT_EQ(116, remove("/NS1/home/dir1"));
    EXPECT_EQ(122, remove("/NS1"));
}

// Paths are found through the folder path each node keeps: after a folder
// is renamed or moved, what it holds, however deep, is found under the new
// path only, and the codes of paths that are not there stay as they were.
TEST_F(ServerTest, PathsFollowTheirFoldersThroughRenamesAndMoves) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createNamespace("NS2"));
    for (const char *folder : {"/NS1/a", "/NS1/a/b", "/NS1/a/b/c", "/NS1/other", "/NS2/a", "/NS2/a/b"}) {
        ASSERT_EQ(0, createFolder(folder)) << folder;
    }
    ASSERT_EQ(0, createJunction("/NS1/a/b/c", "j", "VOL1"));

    EXPECT_EQ(0, rename("/NS1/a", "r"));
    EXPECT_EQ((Names{"j"}), names("/NS1/r/b/c"));
    EXPECT_EQ(116, rename("/NS1/a/b/c/j", "x"));
    EXPECT_EQ(20, createFolder("/NS1/a/b/c/x"));
    EXPECT_EQ((Names{"b"}), names("/NS2/a"));  // the same path in another namespace

    EXPECT_EQ(0, move("/NS1/r/b", "/NS1/other"));
    EXPECT_EQ((Names{}), names("/NS1/r"));
    EXPECT_EQ((Names{"j"}), names("/NS1/other/b/c"));
    EXPECT_EQ(116, rename("/NS1/r/b/c/j", "x"));
    EXPECT_EQ(0, rename("/NS1/other/b/c/j", "k"));
    EXPECT_EQ(116, rename("/NS1/other/b/c/j", "x"));
    EXPECT_EQ((Names{"k"}), names("/NS1/other/b/c"));
    EXPECT_EQ(20, createFolder("/NS1/other/b/c/k/x"));  // a junction is no folder
    EXPECT_EQ(20, createFolder("/NS1/other/b/none/x"));
    EXPECT_EQ(0, createFolder("/NS1/other/b/c/x"));
}

TEST_F(ServerTest, StatsCarryRealMetadata) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/home"));
    ASSERT_EQ(0, createJunction("/NS1/home", "j1", "VOL1"));
    ASSERT_EQ(0, createFolder("/NS1/home/dir1"));

    ObjStatInput in;
    in.set_nodename("/NS1/home");
    ObjStatReply obj;
    grpc::ClientContext context;
    ASSERT_TRUE(stub_->ObjStat(&context, in, &obj).ok());
    EXPECT_EQ(0, obj.retcode());
    EXPECT_EQ(1, obj.isdir());
    EXPECT_EQ(2, obj.elementcount());
    ASSERT_EQ(1, obj.metadata_size());
    EXPECT_EQ("home", obj.metadata(0).name());
    EXPECT_EQ(1, obj.metadata(0).type());
    EXPECT_GT(obj.metadata(0).nodeid(), 0);
    EXPECT_GT(obj.metadata(0).createepoch(), 1700000000);

    DirStatReply dir = dirStat("/NS1/home");
    EXPECT_EQ(0, dir.retcode());
    ASSERT_EQ(2, dir.metadata_size());
    EXPECT_EQ("dir1", dir.metadata(0).name());
    EXPECT_EQ(1, dir.metadata(0).type());
    EXPECT_EQ("j1", dir.metadata(1).name());
    EXPECT_EQ(2, dir.metadata(1).type());
    EXPECT_NE(dir.metadata(0).nodeid(), dir.metadata(1).nodeid());
    EXPECT_EQ(123, dirStat("/NS1/none").retcode());
    EXPECT_EQ(20, dirStat("/NS1/home/j1").retcode());
}

TEST_F(ServerTest, JunctionPagesAndTheirCodes) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/a"));
    for (int i = 0; i < 25; ++i) ASSERT_EQ(0, createJunction("/NS1/a", "j" + std::to_string(100 + i), "VOL1", "srv"));
    auto page = [&](int num, int size) {
        ListAllInput in;
        in.set_namespace_("NS1");
        in.set_pagenum(num);
        in.set_pagesize(size);
        ListAllReply reply;
        grpc::ClientContext context;
        EXPECT_TRUE(stub_->ListAll(&context, in, &reply).ok());
        return reply;
    };
    ListAllReply second = page(2, 10);
    EXPECT_EQ(0, second.retcode());
    EXPECT_EQ(25, second.totaljunctions());
    ASSERT_EQ(10, second.junctions_size());
    EXPECT_EQ("j110", second.junctions(0).junctionname());
    EXPECT_EQ("/TRVNS/NS1/a", second.junctions(0).foldername());
    EXPECT_EQ("srv/VOL1/data", second.junctions(0).targetpath());
    EXPECT_EQ(5, page(3, 10).junctions_size());
    EXPECT_EQ(25, page(0, 0).junctions_size());
    EXPECT_EQ(10, page(0, 10).junctions_size());
    EXPECT_EQ(-301, page(4, 10).retcode());
    EXPECT_EQ(-302, page(1, 0).retcode());
    EXPECT_EQ(-302, page(1, 1000000).retcode());
}

TEST_F(ServerTest, TrusteesAndTheUsersView) {
    writeFile("/etc/opt/brenvik/qtrvns/uxr-users.conf", ".alice.org.T. = 1001\n.bob.org.T. = 1002\n");
    ASSERT_EQ(0, createNamespace("NS1"));
    for (const char *path : {"/NS1/home", "/NS1/home/alice", "/NS1/home/alice/docs", "/NS1/home/bob", "/NS1/pub"}) {
        ASSERT_EQ(0, createFolder(path));
    }
    EXPECT_EQ(0, grant("/NS1/home/alice", ".alice.org.T."));
    EXPECT_EQ(60, grant("/NS1/home/alice", ".alice.org.T."));
    EXPECT_EQ(0, grant("/NS1/pub", ".bob.org.T."));
    EXPECT_EQ(116, grant("/NS1/none", ".bob.org.T."));

    TrusteeListInput in;
    in.set_path("/NS1/home/alice");
    TrusteeListReply list;
    grpc::ClientContext context;
    ASSERT_TRUE(stub_->TrusteeList(&context, in, &list).ok());
    ASSERT_EQ(1, list.trustees_size());
    EXPECT_EQ(".alice.org.T.", list.trustees(0).name());
    EXPECT_EQ(123, list.trustees(0).rights());

    EXPECT_EQ((Names{"home", "pub"}), names("/NS1", 0));
    EXPECT_EQ((Names{"home"}), names("/NS1", 1001));  // leads to her grant
    EXPECT_EQ((Names{"alice"}), names("/NS1/home", 1001));
    EXPECT_EQ((Names{"docs"}), names("/NS1/home/alice", 1001));  // below her grant
    EXPECT_EQ((Names{"pub"}), names("/NS1", 1002));
    EXPECT_TRUE(names("/NS1", 4242).empty());

    EXPECT_EQ(0, revoke("/NS1/home/alice", ".alice.org.T."));
    EXPECT_EQ(116, revoke("/NS1/home/alice", ".alice.org.T."));
    EXPECT_TRUE(names("/NS1", 1001).empty());
}

TEST_F(ServerTest, VolumesAndTheirCodes) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createNamespace("NS2"));
    auto add = [&](const std::string &volume, const std::string &server, const std::string &type,
                   const std::string &ns) {
        AddVolumeEntryInput in;
        in.set_volumename(volume);
        in.set_servername(server);
        in.set_targettype(type);
        in.set_namespace_(ns);
        return call(&Stub::AddVolumeEntry, in);
    };
    auto modify = [&](const std::string &oldName, const std::string &newName, const std::string &server) {
        ModifyVolumeEntryInput in;
        in.set_oldvolumename(oldName);
        in.set_newvolumename(newName);
        in.set_servername(server);
        return call(&Stub::ModifyVolumeEntry, in);
    };
    auto removeVolume = [&](const std::string &volume, const std::string &server) {
        RemoveVolumeEntryInput in;
        in.set_volumename(volume);
        in.set_servername(server);
        return call(&Stub::RemoveVolumeEntry, in);
    };
    EXPECT_EQ(0, add("VOL1", "srv1", "YAR", "NS1"));
    EXPECT_EQ(131, add("VOL1", "srv1", "yar", "NS1"));
    EXPECT_EQ(0, add("VOL1", "srv2", "", ""));  // to every namespace
    EXPECT_EQ(126, add("VOL2", "srv1", "FTP", ""));
    EXPECT_EQ(132, add("SHARE", "", "NON-YAR", ""));
    EXPECT_EQ(-100, add("VOL3", "srv1", "YAR", "NOPE"));
    EXPECT_EQ(121, add("", "srv1", "YAR", ""));

    EXPECT_EQ(128, modify("VOL1", "VOL9", ""));  // on two servers
    EXPECT_EQ(129, modify("NOPE", "VOL9", ""));
    EXPECT_EQ(0, modify("VOL1", "VOL9", "srv2"));
    EXPECT_EQ(0, add("VOL9", "srv1", "YAR", "NS1"));
    EXPECT_EQ(131, modify("VOL1", "VOL9", "srv1"));
    EXPECT_EQ(0, removeVolume("VOL1", ""));
    EXPECT_EQ(129, removeVolume("VOL1", ""));
    EXPECT_EQ(128, removeVolume("VOL9", ""));
    EXPECT_EQ(0, removeVolume("VOL9", "srv2"));

    // A YAR junction without a server takes its volume's server.
    ASSERT_EQ(0, createJunction("/NS1", "j1", "VOL9", ""));
    GetJunctionTargetInput in;
    in.set_path("/NS1/j1");
    GetJunctionTargetReply target;
    ASSERT_EQ(0, call(&Stub::GetJunctionTarget, in, &target));
    EXPECT_EQ("srv1", target.targets(0).server());
}

TEST_F(ServerTest, CifsAttributesPerNamespace) {
    ASSERT_EQ(0, createNamespace("NS1"));
    SetNSCifsAttrInput set;
    set.set_name_space("NS1");
    set.set_cifsattr("share=yes");
    EXPECT_EQ(0, call(&Stub::SetNSCifsAttr, set));
    set.set_name_space("NOPE");
    EXPECT_EQ(-100, call(&Stub::SetNSCifsAttr, set));
    GetNSCifsAttrInput get;
    get.set_name_space("NS1");
    GetNSCifsAttrReply reply;
    EXPECT_EQ(0, call(&Stub::GetNSCifsAttr, get, &reply));
    EXPECT_EQ("share=yes", reply.cifsattr());
}

TEST_F(ServerTest, BadInputChangesNothing) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/home"));
    ASSERT_EQ(0, createJunction("/NS1/home", "j1", "VOL1"));
    const Names before = names("/NS1/home");
    EXPECT_EQ(122, createFolder("/NS1/home/./x"));
    EXPECT_EQ(122, createFolder("/NS1//home"));
    EXPECT_EQ(122, createFolder(std::string("/NS1/home/a\x01", 13)));
    EXPECT_EQ(118, createJunction("/NS1/home", "", "VOL1"));
    EXPECT_EQ(122, createJunction("/NS1/home", "j2", "VOL1", "", "YAR", "relative"));
    EXPECT_EQ(122, rename("/NS1/home/j1", ".."));
    EXPECT_EQ(118, rename("/NS1/home/j1", ""));
    EXPECT_EQ(122, move("/NS1/home/j1", "/NS1/../x"));
    EXPECT_EQ(118, grant("/NS1/home", ""));
    EXPECT_EQ(before, names("/NS1/home"));
    EXPECT_EQ((Names{"home"}), names("/NS1"));
}

TEST_F(ServerTest, ChangesSurviveARestart) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/home"));
    ASSERT_EQ(0, grant("/NS1/home", ".a.o.T."));
    server_->stop(SIGTERM);
    server_->start();
    stub_ = server_->stub();
    EXPECT_EQ((Names{"NS1"}), namespaces());
    EXPECT_EQ((Names{"home"}), names("/NS1"));
    EXPECT_EQ(60, grant("/NS1/home", ".a.o.T."));
}

TEST_F(ServerTest, ConcurrentClientsLoseNoUpdate) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/shared"));
    constexpr int kClients = 4;
    constexpr int kFoldersEach = 40;
    std::atomic<int> failures{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            auto stub = server_->stub();
            for (int i = 0; i < kFoldersEach; ++i) {
                CreateFolderInput in;
                in.set_path("/NS1/shared/c" + std::to_string(c) + "-" + std::to_string(i));
                CreateFolderReply reply;
                grpc::ClientContext context;
                if (!stub->CreateFolder(&context, in, &reply).ok() || reply.retcode() != 0) ++failures;
                // Every client also races for one common name: exactly one wins.
                in.set_path("/NS1/shared/common" + std::to_string(i));
                grpc::ClientContext again;
                stub->CreateFolder(&again, in, &reply);
            }
        });
    }
    for (std::thread &t : clients) t.join();
    EXPECT_EQ(0, failures);
    EXPECT_EQ(static_cast<size_t>(kClients * kFoldersEach + kFoldersEach), names("/NS1/shared").size());
}

TEST_F(ServerTest, KillDuringABurstLosesNoAcknowledgedChange) {
    ASSERT_EQ(0, createNamespace("NS1"));
    std::vector<std::string> acknowledged;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        auto stub = server_->stub();
        for (int i = 0; !stop; ++i) {
            CreateFolderInput in;
            in.set_path("/NS1/f" + std::to_string(i));
            CreateFolderReply reply;
            grpc::ClientContext context;
            if (!stub->CreateFolder(&context, in, &reply).ok()) break;
            if (reply.retcode() == 0) acknowledged.push_back("f" + std::to_string(i));
        }
    });
    while (acknowledged.size() < 50) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    server_->stop(SIGKILL);
    stop = true;
    writer.join();
    ASSERT_GE(acknowledged.size(), 50u);

    RunResult check = run("sqlite3 " + server_->database() + " 'PRAGMA integrity_check'");
    EXPECT_EQ(0, check.status) << check.err;
    EXPECT_EQ("ok\n", check.out);
    server_->start();
    stub_ = server_->stub();
    Names present = names("/NS1");
    std::set<std::string> found(present.begin(), present.end());
    for (const std::string &name : acknowledged) EXPECT_EQ(1u, found.count(name)) << name << " was lost";
}

}  // namespace
}  // namespace trvns_test
