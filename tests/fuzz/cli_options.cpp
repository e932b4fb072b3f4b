// The program's option parsing and validation, in-process, for every
// command word, against a stand-in library (stub_mgmt).  Input: one byte
// for the status the library answers with, one byte for the command word
// (past the table: the first argument is the word), then the arguments,
// separated by NUL bytes.  Runs in tests/support/isolate, where the
// tree-name file and the user table are scratch files.
//
// Commands that name files (export -o, --batch) run in a scratch folder
// that is emptied before every input, so no input sees what an earlier one
// wrote, and an export with a '/' in any argument is skipped: its output
// file can only be a name in that folder.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
    "export",          "--batch",
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

int gScratchFd = -1;
int gHomeFd = -1;

void emptyScratch() {
    int fd = dup(gScratchFd);
    FUZZ_CHECK(fd >= 0);
    DIR *dir = fdopendir(fd);
    FUZZ_CHECK(dir != nullptr);
    rewinddir(dir);  // the duplicate shares the offset the last listing left
    while (const dirent *entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
            unlinkat(gScratchFd, entry->d_name, 0);
        }
    }
    closedir(dir);
}

bool namesAFolder(const std::vector<std::string> &words) {
    return std::any_of(words.begin() + 2, words.end(),
                       [](const std::string &word) { return word.find('/') != std::string::npos; });
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
    int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
    FUZZ_CHECK(null >= 0 && dup2(null, STDIN_FILENO) == STDIN_FILENO);  // --batch - reads nothing
    close(null);
    // /opt is a tmpfs of the private mount namespace: gone when the run is.
    constexpr char kScratch[] = "/opt/fuzz-scratch";
    FUZZ_CHECK(mkdir(kScratch, 0755) == 0 || errno == EEXIST);
    gScratchFd = open(kScratch, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    gHomeFd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FUZZ_CHECK(gScratchFd >= 0 && gHomeFd >= 0);
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
    const std::string command = words.size() > 1 ? words[1] : "";
    if (command == "export" && namesAFolder(words)) return -1;
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(&word[0]);
    std::vector<std::string> original = words;  // handlers may permute argv
    argv.push_back(nullptr);

    emptyScratch();
    FUZZ_CHECK(fchdir(gScratchFd) == 0);
    int status = cli::dispatch(static_cast<int>(words.size()), argv.data());
    (void)status;
    fflush(stdout);
    FUZZ_CHECK(fchdir(gHomeFd) == 0);

    const fuzzstub::State &stub = fuzzstub::state();
    FUZZ_CHECK(!stub.callWithoutConnection);
    FUZZ_CHECK(!stub.connected);  // every run disconnects before it ends
    FUZZ_CHECK(stub.unfreedResults.empty());
    // Paths reach the library as the user wrote them: a whole argument, or
    // the end of one ("-pPATH", "--path=PATH").
    // export walks the namespace and builds the paths of what it finds; a
    // batch takes its paths from its file.
    if (command == "--batch") return 0;
    const bool builtPaths = command == "export";
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
