// The program's option parsing and validation, in-process, for every
// command word, against a stand-in library (stub_mgmt).  Input: one byte
// for the status the library answers with, one byte for the command word
// (past the table: the first argument is the word), then the arguments,
// separated by NUL bytes.  Runs in tests/support/isolate, where the
// tree-name file and the user table are scratch files.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "fuzz_check.h"
#include "stub_mgmt.h"
#include "user_name.h"

namespace {

const char *const kWords[] = {
    "objstat",         "list",            "listJunctions",   "LJ",           "create",
    "trustee",         "purge",           "delete",          "rename",       "move",
    "trustee-grant",   "trustee-revoke",  "trustee-list",    "gettarget",    "list-junctions",
    "list-namespaces", "get-cifs-attr",   "set-cifs-attr",   "createnamespace", "deletenamespace",
    "purgenamespace",  "salvagenamespace", "volume",         "--help",       "-h",
};
constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];

// The library's answers: success, service errors, connection failure.
const int kStatuses[] = {0, 0, 0, 112, 2, 17, 20, 39, -1, 1};
constexpr size_t kMaxArguments = 24;

void writeFile(const char *path, const char *content) {
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(write(fd, content, strlen(content)) == static_cast<ssize_t>(strlen(content)));
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    if (getenv("TRVNS_ISOLATED") == nullptr) {
        fprintf(stderr, "run this harness through tests/support/isolate\n");
        exit(1);
    }
    writeFile(cli::kVelgardConfigPath, "x7q.base.tree-name = TREE\n");
    writeFile("/etc/opt/brenvik/qtrvns/uxr-users.conf", ".admin.org.TREE. = 1000\n");
    fuzzSilenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    fuzzstub::reset(kStatuses[data[0] % (sizeof kStatuses / sizeof kStatuses[0])]);
    std::vector<std::string> words = {"qtrvns-mgmt"};
    if (data[1] < kWordCount) words.emplace_back(kWords[data[1]]);
    std::string rest(reinterpret_cast<const char *>(data) + 2, size - 2);
    for (size_t start = 0; !rest.empty() && start <= rest.size() && words.size() < kMaxArguments;) {
        size_t end = std::min(rest.find('\0', start), rest.size());
        words.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(&word[0]);
    std::vector<std::string> original = words;  // handlers may permute argv
    argv.push_back(nullptr);

    int status = cli::dispatch(static_cast<int>(words.size()), argv.data());
    (void)status;
    fflush(stdout);

    const fuzzstub::State &stub = fuzzstub::state();
    FUZZ_CHECK(!stub.callWithoutConnection);
    FUZZ_CHECK(!stub.connected);  // every run disconnects before it ends
    FUZZ_CHECK(stub.unfreedResults.empty());
    // Paths reach the library as the user wrote them: a whole argument, or
    // the end of one ("-pPATH", "--path=PATH").
    // export walks the namespace and builds the paths of what it finds.
    const bool builtPaths = original.size() > 1 && original[1] == "export";
    for (const std::string &path : stub.paths) {
        if (builtPaths) {
            FUZZ_CHECK(path.compare(0, 7, "/TRVNS/") == 0);
            continue;
        }
        FUZZ_CHECK(std::any_of(original.begin(), original.end(), [&](const std::string &word) {
            return word.size() >= path.size() && word.compare(word.size() - path.size(), path.size(), path) == 0;
        }));
    }
    return 0;
}
