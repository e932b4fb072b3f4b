// The JSON output against the text output on big listings: wall time and
// peak RSS of `lj -n MEM -p 0 -s 0` and `list -p /TRVNS/MEM/big` over a
// folder of ENTRIES junctions (filled straight into the server's database),
// each run with and without `--output json`, interleaved, side by side.
//
//   json_output_driver NSSERVER UNUSED ENTRIES NAME=BUILD_DIR
//
// Run it through bench/json_output, which supplies the private mount
// namespace.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"

namespace trvns_bench {
namespace {

constexpr int kRuns = 5;

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

std::vector<std::string> words(const std::string &program, const std::string &text) {
    std::vector<std::string> line = {program};
    for (size_t at = 0; at != std::string::npos;) {
        size_t space = text.find(' ', at);
        line.push_back(text.substr(at, space == std::string::npos ? space : space - at));
        at = space == std::string::npos ? space : space + 1;
    }
    return line;
}

int run(int argc, char **argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: %s NSSERVER UNUSED ENTRIES NAME=BUILD_DIR\n", argv[0]);
        return 2;
    }
    const long entries = atol(argv[3]);
    Stage stage(argc, argv);
    const Build &build = stage.builds[0];
    const int ns = build.plugins->fd();
    for (const char *setup : {"create -n MEM", "create -d /TRVNS/MEM/big"}) {
        if (runMeasured(words(build.program, setup), ns).status != 0) fail(std::string("setup failed: ") + setup);
    }
    fillFolder(stage.server.database(), entries);

    const std::string out = stage.scratch + "/out";
    printf("JSON against text output, %ld junctions, median of %d interleaved runs (%s)\n", entries, kRuns,
           build.name.c_str());
    printf("  %-26s %-6s %9s %9s %10s\n", "", "format", "wall ms", "peak MiB", "out MiB");
    bool within = true;
    for (const char *command : {"lj -n MEM -p 0 -s 0", "list -p /TRVNS/MEM/big"}) {
        std::vector<double> wall[2], rss[2];
        double bytes[2] = {0, 0};
        for (int i = 0; i < kRuns; ++i) {
            for (int json = 0; json < 2; ++json) {
                std::string line = json ? std::string("--output json ") + command : std::string(command);
                Sample sample = runMeasured(words(build.program, line), ns, out);
                if (sample.status != 0) fail("exit status " + std::to_string(sample.status) + " from " + line);
                wall[json].push_back(sample.wallMs);
                rss[json].push_back(sample.maxRssMiB);
                bytes[json] = readFile(out).size() / 1048576.0;
            }
        }
        double w[2] = {median(wall[0]), median(wall[1])};
        double r[2] = {median(rss[0]), median(rss[1])};
        printf("  %-26s %-6s %9.0f %9.1f %10.1f\n", command, "text", w[0], r[0], bytes[0]);
        printf("  %-26s %-6s %9.0f %9.1f %10.1f   wall %.2fx  peak RSS %.2fx\n", "", "json", w[1], r[1], bytes[1],
               w[1] / w[0], r[1] / r[0]);
        within = within && w[1] <= 1.2 * w[0] && r[1] <= 1.1 * r[0];
    }
    printf("%s\n", within ? "within 1.2x wall and 1.1x peak RSS" : "OUTSIDE 1.2x wall or 1.1x peak RSS");
    const int finished = stage.finish();
    return finished == 0 && within ? 0 : 1;
}

}  // namespace
}  // namespace trvns_bench

int main(int argc, char **argv) { return trvns_bench::runDriver(trvns_bench::run, argc, argv); }
