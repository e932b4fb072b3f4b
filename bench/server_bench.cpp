// Benchmark of trvns-nsserver at 1k, 100k and 1M junctions: junction pages,
// the namespace list, memory of the whole listing, a slow request beside a
// quick one, and write and read throughput at 1, 4 and 16 clients.
//
//   server_bench [--server BINARY] [--baseline BINARY] [--sizes N,N,...]
//
// Each namespace is populated straight into a database of the schema the
// server had before it kept a schema version (every server version opens it
// and migrates what it needs), one copy per server.  With --baseline, both
// servers run on the same data and the figures stand side by side.
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <grpcpp/grpcpp.h>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "server_process.h"
#include "test_files.h"
#include "test_pki.h"
#include "trvnamespace.grpc.pb.h"
#include "unversioned_schema.h"

namespace {

using namespace trvnamespace;
using Clock = std::chrono::steady_clock;


constexpr int kJunctionsPerFolder = 100;
constexpr int kFoldersPerTop = 100;
constexpr int kSmallNamespaces = 4;
constexpr int kSmallJunctions = 1000;

void check(int result, sqlite3 *db) {
    if (result != SQLITE_OK && result != SQLITE_DONE && result != SQLITE_ROW) {
        throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
    }
}

// Namespace BIG with `junctions` junctions in /tNNN/fNNN folders of 100,
// and four namespaces of 1000 junctions beside it.
void populate(const std::string &path, int64_t junctions) {
    sqlite3 *db = nullptr;
    check(sqlite3_open(path.c_str(), &db), db);
    check(sqlite3_exec(db, "PRAGMA journal_mode=WAL; BEGIN", nullptr, nullptr, nullptr), db);
    check(sqlite3_exec(db, kUnversionedSchema, nullptr, nullptr, nullptr), db);
    sqlite3_stmt *ns = nullptr, *node = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO namespaces(name, trvns_attr, created) VALUES(?, 'None', 1700000000)",
                             -1, &ns, nullptr),
          db);
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO nodes(ns_id, parent_id, name, kind, created, modified, accessed, "
                             "target_server, target_volume, target_path, target_type) "
                             "VALUES(?, ?, ?, ?, 1700000000, 1700000000, 1700000000, ?, ?, ?, ?)",
                             -1, &node, nullptr),
          db);
    auto addNode = [&](int64_t nsId, int64_t parent, const std::string &name, int kind) {
        sqlite3_reset(node);
        sqlite3_bind_int64(node, 1, nsId);
        if (parent == 0) {
            sqlite3_bind_null(node, 2);
        } else {
            sqlite3_bind_int64(node, 2, parent);
        }
        sqlite3_bind_text(node, 3, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(node, 4, kind);
        if (kind == 2) {
            sqlite3_bind_text(node, 5, "fs1", -1, SQLITE_STATIC);
            sqlite3_bind_text(node, 6, "VOL1", -1, SQLITE_STATIC);
            sqlite3_bind_text(node, 7, ("/data/" + name).c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(node, 8, 1);
        } else {
            for (int i = 5; i <= 8; ++i) sqlite3_bind_null(node, i);
        }
        check(sqlite3_step(node), db);
        return sqlite3_last_insert_rowid(db);
    };
    auto addNamespace = [&](const std::string &name, int64_t count) {
        sqlite3_reset(ns);
        sqlite3_bind_text(ns, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(ns), db);
        int64_t nsId = sqlite3_last_insert_rowid(db);
        int64_t root = addNode(nsId, 0, "", 1), top = 0, folder = 0;
        for (int64_t i = 0; i < count; ++i) {
            int64_t f = i / kJunctionsPerFolder;
            if (i % kJunctionsPerFolder == 0) {
                if (f % kFoldersPerTop == 0) top = addNode(nsId, root, "t" + std::to_string(f / kFoldersPerTop), 1);
                folder = addNode(nsId, top, "f" + std::to_string(f % kFoldersPerTop), 1);
            }
            addNode(nsId, folder, "j" + std::to_string(i % kJunctionsPerFolder), 2);
        }
    };
    addNamespace("BIG", junctions);
    for (int i = 0; i < kSmallNamespaces; ++i) addNamespace("SMALL" + std::to_string(i), kSmallJunctions);
    sqlite3_finalize(ns);
    sqlite3_finalize(node);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

using trvns_test::readFile;

int sh(const std::string &command) { return system(command.c_str()); }

class Server {
public:
    Server(const std::string &binary, const trvns_test::TestPki &pki, const std::string &database)
        : process_(binary, pki.serverCert, pki.serverKey, database) {
        auto started = Clock::now();
        process_.start(std::chrono::hours(1));  // a large migration takes its time
        startSeconds_ = std::chrono::duration<double>(Clock::now() - started).count();
        grpc::SslCredentialsOptions tls;
        tls.pem_root_certs = readFile(pki.caCert);
        credentials_ = grpc::SslCredentials(tls);
    }
    std::unique_ptr<TRVNamespaceServer::Stub> stub() const {
        grpc::ChannelArguments args;
        args.SetMaxReceiveMessageSize(-1);
        args.SetInt("bench.channel", ++channels_);  // a connection of its own
        return TRVNamespaceServer::NewStub(
            grpc::CreateCustomChannel("127.0.0.1:" + std::to_string(process_.port()), credentials_, args));
    }
    // kB of the server's /proc/PID/status field, e.g. "VmRSS".
    long status(const std::string &field) const {
        std::istringstream in(readFile("/proc/" + std::to_string(process_.pid()) + "/status"));
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(field + ":", 0) == 0) return atol(line.c_str() + field.size() + 1);
        }
        return -1;
    }
    void resetPeak() const { std::ofstream("/proc/" + std::to_string(process_.pid()) + "/clear_refs") << "5\n"; }
    double startSeconds() const { return startSeconds_; }

private:
    trvns_test::ServerLauncher process_;
    double startSeconds_ = 0;
    std::shared_ptr<grpc::ChannelCredentials> credentials_;
    mutable std::atomic<int> channels_{0};
};

double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Median of `rounds` timed runs of `call`, in ms.
double median(int rounds, const std::function<void()> &call) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        call();
        times.push_back(millis(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

ListAllReply listAll(TRVNamespaceServer::Stub &stub, int page, int size) {
    ListAllInput in;
    in.set_namespace_("BIG");
    in.set_pagenum(page);
    in.set_pagesize(size);
    ListAllReply reply;
    grpc::ClientContext context;
    if (!stub.ListAll(&context, in, &reply).ok() || reply.retcode() != 0) throw std::runtime_error("ListAll failed");
    return reply;
}

void getNamespaces(TRVNamespaceServer::Stub &stub) {
    GetNamespacesReply reply;
    grpc::ClientContext context;
    if (!stub.GetNamespaces(&context, GetNamespacesInput(), &reply).ok()) throw std::runtime_error("list failed");
}

// Requests per second of `clients` threads, each with its own connection.
double throughput(const Server &server, int clients, const std::function<void(TRVNamespaceServer::Stub &, int, int)> &request) {
    constexpr auto kRun = std::chrono::milliseconds(1500);
    std::atomic<long> done{0};
    std::vector<std::thread> threads;
    auto start = Clock::now();
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            auto stub = server.stub();
            for (int i = 0; Clock::now() - start < kRun; ++i) {
                request(*stub, c, i);
                ++done;
            }
        });
    }
    for (std::thread &t : threads) t.join();
    return done / std::chrono::duration<double>(Clock::now() - start).count();
}

using Figures = std::vector<std::pair<std::string, std::string>>;

std::string fixed(double value, int digits = 2) {
    char text[64];
    snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

Figures measure(const std::string &binary, const trvns_test::TestPki &pki, const std::string &database, int64_t junctions,
                int round) {
    Figures figures;
    Server server(binary, pki, database);
    figures.push_back({"start (s, with migration)", fixed(server.startSeconds())});
    auto stub = server.stub();
    getNamespaces(*stub);
    const int lastPage = static_cast<int>((junctions + 99) / 100);
    figures.push_back({"lj page 1 of 100 (ms)", fixed(median(15, [&] { listAll(*stub, 1, 100); }))});
    figures.push_back({"lj last page of 100 (ms)", fixed(median(15, [&] { listAll(*stub, lastPage, 100); }))});
    figures.push_back({"lj middle page of 100 (ms)", fixed(median(15, [&] { listAll(*stub, lastPage / 2 + 1, 100); }))});
    figures.push_back({"list -n (ms)", fixed(median(15, [&] { getNamespaces(*stub); }))});

    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    long idle = server.status("VmRSS");
    server.resetPeak();
    auto start = Clock::now();
    size_t encoded = listAll(*stub, 0, 0).ByteSizeLong();
    double wholeMs = millis(Clock::now() - start);
    long peak = server.status("VmHWM");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    long after = server.status("VmRSS");
    figures.push_back({"lj -p 0 -s 0 (ms)", fixed(wholeMs, 0)});
    figures.push_back({"  reply encoded (MiB)", fixed(encoded / 1048576.0, 1)});
    figures.push_back({"  server peak above idle (MiB)", fixed((peak - idle) / 1024.0, 1)});
    figures.push_back({"  server held afterwards (MiB)", fixed((after - idle) / 1024.0, 1)});

    // A quick request sent while the whole listing is being served.
    std::atomic<bool> slowDone{false};
    double quickMs = 0;
    bool quickFirst = false;
    std::thread slow([&] {
        auto own = server.stub();
        listAll(*own, 0, 0);
        slowDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(std::max(1.0, wholeMs / 10))));
    auto quick = Clock::now();
    getNamespaces(*stub);
    quickMs = millis(Clock::now() - quick);
    quickFirst = !slowDone;
    slow.join();
    figures.push_back({"list -n during lj -p 0 -s 0 (ms)", fixed(quickMs) + (quickFirst ? "" : " (after it)")});

    for (int clients : {1, 4, 16}) {
        double writes = throughput(server, clients, [&](TRVNamespaceServer::Stub &s, int c, int i) {
            CreateFolderInput in;
            in.set_path("/BIG/w" + std::to_string(round) + "-" + std::to_string(clients) + "-" + std::to_string(c) + "-" +
                        std::to_string(i));
            CreateFolderReply reply;
            grpc::ClientContext context;
            s.CreateFolder(&context, in, &reply);
        });
        figures.push_back({"writes/s, " + std::to_string(clients) + " clients", fixed(writes, 0)});
    }
    for (int clients : {1, 4, 16}) {
        double reads = throughput(server, clients, [&](TRVNamespaceServer::Stub &s, int, int i) {
            ObjStatInput in;
            in.set_nodename("/BIG/t0/f0/j" + std::to_string(i % kJunctionsPerFolder));
            ObjStatReply reply;
            grpc::ClientContext context;
            s.ObjStat(&context, in, &reply);
        });
        figures.push_back({"reads/s, " + std::to_string(clients) + " clients", fixed(reads, 0)});
    }
    return figures;
}

std::vector<int64_t> parseSizes(const std::string &text) {
    std::vector<int64_t> sizes;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) sizes.push_back(atoll(item.c_str()));
    return sizes;
}

}  // namespace

int main(int argc, char **argv) {
    std::string server = TRVNS_NSSERVER, baseline;
    std::vector<int64_t> sizes = {1000, 100000, 1000000};
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--server") server = argv[i + 1];
        else if (option == "--baseline") baseline = argv[i + 1];
        else if (option == "--sizes") sizes = parseSizes(argv[i + 1]);
    }
    if (argc % 2 == 0) {
        std::cerr << "usage: server_bench [--server BINARY] [--baseline BINARY] [--sizes N,N,...]\n";
        return 2;
    }
    char pattern[] = "/tmp/trvns-bench.XXXXXX";
    const std::string dir = mkdtemp(pattern);
    try {
        trvns_test::TestPki pki = trvns_test::makeTestPki(dir);
        std::vector<std::pair<std::string, std::string>> servers;
        if (!baseline.empty()) servers.push_back({"before", baseline});
        servers.push_back({"after", server});
        for (int64_t junctions : sizes) {
            std::cout << "\n== " << junctions << " junctions in BIG (+ " << kSmallNamespaces << " x "
                      << kSmallJunctions << ")\n";
            const std::string seed = dir + "/seed.db";
            populate(seed, junctions);
            std::vector<Figures> results;
            int round = 0;
            for (const auto &s : servers) {
                const std::string db = dir + "/" + s.first + ".db";
                sh("rm -f " + db + "*; cp " + seed + " " + db);
                results.push_back(measure(s.second, pki, db, junctions, round++));
            }
            printf("%-36s", "");
            for (const auto &s : servers) printf("%14s", s.first.c_str());
            printf("\n");
            for (size_t row = 0; row < results[0].size(); ++row) {
                printf("%-36s", results[0][row].first.c_str());
                for (const Figures &f : results) printf("%14s", f[row].second.c_str());
                printf("\n");
            }
            fflush(stdout);
            sh("rm -f " + dir + "/*.db*");
        }
    } catch (const std::exception &error) {
        std::cerr << "server_bench: " << error.what() << "\n";
        sh("rm -rf " + dir);
        return 1;
    }
    sh("rm -rf " + dir);
    return 0;
}
