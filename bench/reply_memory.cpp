// Client memory on big replies: peak RSS of `lj -p 0 -s 0` and `list -p`
// over a folder of many junctions, above the peak of the same command on an
// empty folder, against the encoded size of the reply.  The folder is
// filled straight into the server's database.
//
//   reply_memory_driver NSSERVER REPLY_PROBE ENTRIES NAME=BUILD_DIR...
//
// Run it through bench/reply_memory, which supplies the private mount
// namespace.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"

namespace trvns_bench {
namespace {

constexpr int kRuns = 3;

// ENTRIES junctions in /TRVNS/MEM/big, inserted in one transaction with what
// the server keeps beside them: each junction's folder path, the
// namespace's count and the counted runs of its listing order (runs of 512,
// the first starting below every key), under a new listing version.
void fillFolder(const std::string &database, long entries) {
    sqlite3 *db = nullptr;
    if (sqlite3_open(database.c_str(), &db) != SQLITE_OK) fail("cannot open " + database);
    sqlite3_busy_timeout(db, 10000);
    std::string sql = R"sql(
        BEGIN;
        WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < )sql" +
                      std::to_string(entries) + R"sql()
        INSERT INTO nodes(ns_id, parent_id, name, kind, size, created, modified, accessed,
                          target_server, target_volume, target_path, target_type, dir)
        SELECT f.ns_id, f.id, printf('junction-%08d', n.i), 2, 0, 1700000000, 1700000000, 1700000000,
               'fileserver01', 'VOLUME01', printf('/exports/projects/%08d', n.i), 1, IFNULL(f.dir, '') || '/' || f.name
        FROM n, nodes f JOIN namespaces s ON f.ns_id = s.id
        WHERE s.name = 'MEM' AND f.name = 'big' AND f.kind = 1;
        UPDATE namespaces SET junctions = (SELECT COUNT(*) FROM nodes WHERE ns_id = namespaces.id AND kind = 2),
                              listing_version = listing_version + 1
            WHERE name = 'MEM';
        DELETE FROM listing_pages WHERE ns_id = (SELECT id FROM namespaces WHERE name = 'MEM');
        INSERT INTO listing_pages(ns_id, first_dir, first_name, count)
        SELECT ns_id, IIF(rn = 1, '', dir), IIF(rn = 1, '', name), MIN(512, total - rn + 1)
        FROM (SELECT ns_id, dir, name, ROW_NUMBER() OVER (ORDER BY dir, name) AS rn, COUNT(*) OVER () AS total
              FROM nodes WHERE ns_id = (SELECT id FROM namespaces WHERE name = 'MEM') AND kind = 2)
        WHERE (rn - 1) % 512 = 0;
        COMMIT;)sql";
    char *error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        fail(std::string("cannot fill the folder: ") + (error ? error : "?"));
    }
    sqlite3_close(db);
}

double peakOf(const std::vector<std::string> &line, int nsFd) {
    std::vector<double> peaks;
    for (int i = 0; i < kRuns; ++i) {
        Sample sample = runMeasured(line, nsFd);
        if (sample.status != 0) fail("exit status " + std::to_string(sample.status) + " from " + line[1]);
        peaks.push_back(sample.maxRssMiB);
    }
    return median(peaks);
}

size_t encodedSize(const std::string &probe, const std::string &address, const std::string &ca, const char *rpc,
                   const std::string &what, const std::string &scratch) {
    std::string out = scratch + "/size";
    Sample sample = runMeasured({probe, address, ca, rpc, what}, -1, out);
    if (sample.status != 0) fail("the reply probe failed");
    return strtoul(readFile(out).c_str(), nullptr, 10);
}

int run(int argc, char **argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: %s NSSERVER REPLY_PROBE ENTRIES NAME=BUILD_DIR...\n", argv[0]);
        return 2;
    }
    const std::string probe = argv[2];
    const long entries = atol(argv[3]);
    Stage stage(argc, argv);
    const Build &first = stage.builds[0];
    for (const char *setup : {"create -n MEM", "create -n IDLE", "create -d /TRVNS/MEM/big", "create -d /TRVNS/IDLE/empty"}) {
        std::vector<std::string> line = {first.program};
        std::string words = setup;
        for (size_t at = 0; at != std::string::npos;) {
            size_t space = words.find(' ', at);
            line.push_back(words.substr(at, space == std::string::npos ? space : space - at));
            at = space == std::string::npos ? space : space + 1;
        }
        if (runMeasured(line, first.plugins->fd()).status != 0) fail(std::string("setup failed: ") + setup);
    }
    fillFolder(stage.server.database(), entries);

    struct Case {
        const char *label;
        const char *rpc;
        std::string subject;
        std::vector<std::string> big, idle;
    } cases[] = {
        {"lj -n MEM -p 0 -s 0", "listall", "MEM", {"lj", "-n", "MEM", "-p", "0", "-s", "0"},
         {"lj", "-n", "IDLE", "-p", "0", "-s", "0"}},
        {"list -p /TRVNS/MEM/big", "dirstat", "/MEM/big", {"list", "-p", "/TRVNS/MEM/big"},
         {"list", "-p", "/TRVNS/IDLE/empty"}},
    };
    printf("Client memory on big replies, %ld entries, median of %d runs\n", entries, kRuns);
    printf("  %-24s %-8s %10s %9s %9s %9s %7s\n", "", "build", "reply MiB", "idle MiB", "peak MiB", "above", "ratio");
    for (Case &c : cases) {
        double reply =
            encodedSize(probe, stage.server.address(), stage.pki.caCert, c.rpc, c.subject, stage.scratch) / 1048576.0;
        for (Build &build : stage.builds) {
            auto line = [&](const std::vector<std::string> &words) {
                std::vector<std::string> all = {build.program};
                all.insert(all.end(), words.begin(), words.end());
                return all;
            };
            double idle = peakOf(line(c.idle), build.plugins->fd());
            double peak = peakOf(line(c.big), build.plugins->fd());
            printf("  %-24s %-8s %10.1f %9.1f %9.1f %9.1f %6.2fx\n", c.label, build.name.c_str(), reply, idle, peak,
                   peak - idle, (peak - idle) / reply);
        }
    }
    return stage.finish();
}

}  // namespace
}  // namespace trvns_bench

int main(int argc, char **argv) { return trvns_bench::runDriver(trvns_bench::run, argc, argv); }
