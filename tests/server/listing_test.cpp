// Junction pages and counts against a plain model of the tree: every page
// of the listing is the slice of one sorted list of (folder, name), through
// renames and moves of folders that hold junctions, and databases of the
// schema from before versions were kept are migrated on start.
#include <algorithm>
#include <atomic>
#include <thread>
#include <map>
#include <random>
#include <set>

#include "server_fixture.h"
#include "unversioned_schema.h"

namespace trvns_test {
namespace {

using namespace trvnamespace;

using Row = std::pair<std::string, std::string>;  // folder path below the namespace, junction name

class ListingTest : public ServerTest {
protected:
    // Junctions by folder, as the server should hold them.
    std::map<std::string, std::set<std::string>> model_;

    void addJunction(const std::string &folder, const std::string &name) {
        ASSERT_EQ(0, createJunction("/NS1" + folder, name, "VOL1", "srv")) << folder << "/" << name;
        model_[folder].insert(name);
    }
    // The model after renaming or moving folder `from` to `to`.
    void relocateInModel(const std::string &from, const std::string &to) {
        std::map<std::string, std::set<std::string>> moved;
        for (auto &entry : model_) {
            const std::string &dir = entry.first;
            if (dir == from || dir.compare(0, from.size() + 1, from + "/") == 0) {
                moved[to + dir.substr(from.size())] = entry.second;
            } else {
                moved[dir].insert(entry.second.begin(), entry.second.end());
            }
        }
        model_ = moved;
    }
    std::vector<Row> reference() const {
        std::vector<Row> rows;
        for (const auto &entry : model_) {
            for (const std::string &name : entry.second) rows.push_back({entry.first, name});
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    ListAllReply page(int num, int size) {
        ListAllInput in;
        in.set_namespace_("NS1");
        in.set_pagenum(num);
        in.set_pagesize(size);
        ListAllReply reply;
        EXPECT_EQ(0, call(&Stub::ListAll, in, &reply)) << num << "/" << size;
        return reply;
    }
    static std::vector<Row> rowsOf(const ListAllReply &reply) {
        std::vector<Row> rows;
        for (const MetadataForListAll &j : reply.junctions()) {
            EXPECT_EQ(0u, j.foldername().rfind("/TRVNS/NS1", 0)) << j.foldername();
            rows.push_back({j.foldername().substr(10), j.junctionname()});
        }
        return rows;
    }
    int64_t countInNamespaceList() {
        GetNamespacesReply reply;
        EXPECT_EQ(0, call(&Stub::GetNamespaces, GetNamespacesInput(), &reply));
        for (const Namespace &ns : reply.namespaces()) {
            if (ns.name() == "NS1") return ns.number3();
        }
        return -1;
    }
    // The whole listing, pages of several sizes (each page of the smaller
    // sizes near both ends and the middle) and both totals.
    void expectListingMatchesModel(const std::string &when) {
        SCOPED_TRACE(when);
        const std::vector<Row> expected = reference();
        const int total = static_cast<int>(expected.size());
        ListAllReply whole = page(0, 0);
        EXPECT_EQ(total, whole.totaljunctions());
        EXPECT_EQ(expected, rowsOf(whole));
        EXPECT_EQ(total, countInNamespaceList());
        for (int size : {1, 7, 100, 1000}) {
            const int pages = std::max(1, (total + size - 1) / size);
            std::set<int> chosen = {1, 2, pages / 2, pages / 2 + 1, pages - 1, pages};
            for (int num : chosen) {
                if (num < 1 || num > pages) continue;
                ListAllReply reply = page(num, size);
                EXPECT_EQ(total, reply.totaljunctions());
                const int from = std::min(total, (num - 1) * size), to = std::min(total, num * size);
                EXPECT_EQ(std::vector<Row>(expected.begin() + from, expected.begin() + to), rowsOf(reply))
                    << "page " << num << " of size " << size;
            }
            ListAllInput beyond;
            beyond.set_namespace_("NS1");
            beyond.set_pagenum(pages + 1);
            beyond.set_pagesize(size);
            EXPECT_EQ(-301, call(&Stub::ListAll, beyond));
        }
    }
};

TEST_F(ListingTest, PagesAreSlicesOfTheSortedListThroughEveryChange) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createNamespace("NS2"));
    // Names where path order differs from tree order: "a-b" sorts before "a/x".
    const std::vector<std::string> folders = {"/a", "/a/x", "/a/x/deep", "/a-b", "/a.c", "/b", "/b/y", "/b/y/z", "/c"};
    for (const std::string &folder : folders) ASSERT_EQ(0, createFolder("/NS1" + folder));
    std::mt19937 random(12345);
    std::vector<std::string> places = folders;
    places.push_back("");
    for (int i = 0; i < 2600; ++i) {
        addJunction(places[random() % places.size()], "j" + std::to_string(random() % 1000) + "-" + std::to_string(i));
        if (HasFatalFailure()) return;
    }
    ASSERT_EQ(0, createJunction("/NS2", "elsewhere", "VOL1", "srv"));  // counted in its own namespace only
    expectListingMatchesModel("after creating");

    // A folder holding junctions two levels down changes name, then moves deeper.
    ASSERT_EQ(0, rename("/NS1/a", "zz"));
    relocateInModel("/a", "/zz");
    expectListingMatchesModel("after renaming /a");
    ASSERT_EQ(0, move("/NS1/zz/x", "/NS1/b/y/z"));
    relocateInModel("/zz/x", "/b/y/z/x");
    expectListingMatchesModel("after moving /zz/x");
    ASSERT_EQ(0, move("/NS1/b/y", "/NS1"));
    relocateInModel("/b/y", "/y");
    addJunction("/y/z/x/deep", "late");
    expectListingMatchesModel("after moving /b/y up");

    // A junction renamed and moved, some removed.
    const std::string someDir = model_.begin()->first;
    const std::string someName = *model_.begin()->second.begin();
    ASSERT_EQ(0, rename("/NS1" + someDir + "/" + someName, "renamed"));
    model_[someDir].erase(someName);
    model_[someDir].insert("renamed");
    ASSERT_EQ(0, move("/NS1" + someDir + "/renamed", "/NS1/c"));
    model_[someDir].erase("renamed");
    model_["/c"].insert("renamed");
    int removed = 0;
    for (auto &entry : model_) {
        std::vector<std::string> gone(entry.second.begin(), entry.second.end());
        gone.resize(gone.size() / 2);
        for (const std::string &name : gone) {
            ASSERT_EQ(0, remove("/NS1" + entry.first + "/" + name));
            entry.second.erase(name);
            ++removed;
        }
    }
    ASSERT_GT(removed, 1000);
    expectListingMatchesModel("after removing half");

    // Hidden and back, counts unchanged; purged and made again, empty.
    ASSERT_EQ(0, deleteNamespace("NS1"));
    ASSERT_EQ(0, salvageNamespace("NS1"));
    expectListingMatchesModel("after delete and salvage");
    ASSERT_EQ(0, purgeNamespace("NS1"));
    ASSERT_EQ(0, createNamespace("NS1"));
    model_.clear();
    expectListingMatchesModel("after purge");
    addJunction("", "first");
    expectListingMatchesModel("a fresh namespace");
}


class MigrationTest : public ListingTest {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/trvns-server.XXXXXX";
        dir_ = mkdtemp(pattern);
        server_ = std::make_unique<ServerProcess>(dir_ + "/ns.db");
    }
    void sql(const std::string &statements) {
        RunResult result = run("sqlite3 " + server_->database(), statements);
        ASSERT_EQ(0, result.status) << result.err;
    }
};

TEST_F(MigrationTest, ADatabaseOfTheUnversionedSchemaIsMigratedOnStart) {
    // NS1: root 1, /a 2, /a/b 3, /a-b 4; junctions in each; NS2 deleted with one junction.
    std::string rows = R"sql(
INSERT INTO namespaces VALUES(1, 'NS1', 0, 'share=yes', 'None', 0, 1700000000);
INSERT INTO namespaces VALUES(2, 'NS2', 1, '', 'None', 0, 1700000000);
INSERT INTO nodes(id, ns_id, parent_id, name, kind, created, modified, accessed) VALUES
    (1, 1, NULL, '', 1, 1, 1, 1), (2, 1, 1, 'a', 1, 1, 1, 1), (3, 1, 2, 'b', 1, 1, 1, 1), (4, 1, 1, 'a-b', 1, 1, 1, 1),
    (5, 2, NULL, '', 1, 1, 1, 1);
INSERT INTO trustees VALUES(2, '.alice.org.T.', '', 1, 7);
INSERT INTO volumes(ns_id, name, server, type) VALUES(1, 'VOL1', 'srv', 'YAR');
)sql";
    const std::vector<std::pair<int, std::string>> places = {{1, ""}, {2, "/a"}, {3, "/a/b"}, {4, "/a-b"}};
    int id = 100;
    for (int i = 0; i < 1500; ++i) {
        const auto &place = places[i % places.size()];
        std::string name = "j" + std::to_string(i);
        rows += "INSERT INTO nodes(id, ns_id, parent_id, name, kind, created, modified, accessed, target_server, "
                "target_volume, target_path, target_type) VALUES(" +
                std::to_string(id++) + ", 1, " + std::to_string(place.first) + ", '" + name +
                "', 2, 1, 1, 1, 'srv', 'VOL1', '/d', 1);\n";
        model_[place.second].insert(name);
    }
    rows += "INSERT INTO nodes(ns_id, parent_id, name, kind, created, modified, accessed, target_server, "
            "target_volume, target_path, target_type) VALUES(2, 5, 'hidden', 2, 1, 1, 1, 'srv', 'V', '/', 1);\n";
    sql(std::string("PRAGMA journal_mode=WAL;\n") + kUnversionedSchema + "BEGIN;\n" + rows + "COMMIT;\n");

    server_->start();
    stub_ = server_->stub();
    expectListingMatchesModel("after the migration");
    EXPECT_EQ("1\n", run("sqlite3 " + server_->database() + " 'PRAGMA user_version'").out);
    EXPECT_EQ(0, salvageNamespace("NS2"));
    ListAllInput hidden;
    hidden.set_namespace_("NS2");
    ListAllReply reply;
    ASSERT_EQ(0, call(&Stub::ListAll, hidden, &reply));
    EXPECT_EQ(1, reply.totaljunctions());
    EXPECT_EQ(375u, names("/NS1/a/b").size());
    EXPECT_EQ(60, grant("/NS1/a", ".alice.org.T."));

    // Changes after the migration keep the listing, also across a restart.
    ASSERT_EQ(0, rename("/NS1/a", "c"));
    relocateInModel("/a", "/c");
    addJunction("/c/b", "new");
    server_->stop(SIGTERM);
    server_->start();
    stub_ = server_->stub();
    expectListingMatchesModel("after changes and a restart");
    size_t first = server_->log().find("schema brought to version 1");
    EXPECT_NE(std::string::npos, first);
    EXPECT_EQ(std::string::npos, server_->log().find("schema brought to version 1", first + 1));  // migrated once
}

TEST_F(MigrationTest, AWholeListingDoesNotHoldUpTheNamespaceList) {
    sql(std::string("PRAGMA journal_mode=WAL;\n") + kUnversionedSchema + R"sql(
BEGIN;
INSERT INTO namespaces VALUES(1, 'NS1', 0, '', 'None', 0, 1700000000);
INSERT INTO nodes(id, ns_id, parent_id, name, kind, created, modified, accessed) VALUES(1, 1, NULL, '', 1, 1, 1, 1);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300000)
INSERT INTO nodes(ns_id, parent_id, name, kind, created, modified, accessed, target_server, target_volume,
                  target_path, target_type)
SELECT 1, 1, 'junction' || i, 2, 1, 1, 1, 'server', 'VOLUME', '/some/path/' || i, 1 FROM n;
COMMIT;
)sql");
    server_->start();
    stub_ = server_->stub();
    std::atomic<bool> listed{false};
    std::thread slow([&] {
        grpc::SslCredentialsOptions tls;
        tls.pem_root_certs = readFile(TestPki::get().caCert);
        grpc::ChannelArguments args;
        args.SetMaxReceiveMessageSize(-1);
        auto own = TRVNamespaceServer::NewStub(grpc::CreateCustomChannel(
            "127.0.0.1:" + std::to_string(server_->port()), grpc::SslCredentials(tls), args));
        ListAllInput in;
        in.set_namespace_("NS1");
        ListAllReply reply;
        grpc::ClientContext context;
        EXPECT_TRUE(own->ListAll(&context, in, &reply).ok());
        EXPECT_EQ(300000, reply.junctions_size());
        listed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(std::vector<std::string>{"NS1"}, namespaces());
    EXPECT_FALSE(listed) << "the namespace list came only after the whole listing";
    slow.join();
}

}  // namespace
}  // namespace trvns_test
