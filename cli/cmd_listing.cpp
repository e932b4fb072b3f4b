// Listing commands: objstat, list -p, listJunctions / lj, list-junctions.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"
#include "trvns_mgmt.h"
#include "user_name.h"
#include "uxrlib.h"

namespace cli {
namespace {

constexpr char kRootUser[] = "root";
constexpr unsigned long kMaxPageValue = 2147483646UL;

const option kListDirectoryOptions[] = {
    {"path", required_argument, nullptr, 'p'},
    {"user", required_argument, nullptr, 'u'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

// The long page options take their value only after '='.
const option kListAllOptions[] = {
    {"namespace", required_argument, nullptr, 'n'},
    {"pagenum", optional_argument, nullptr, 'p'},
    {"pagesize", optional_argument, nullptr, 's'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

constexpr Outcome kObjStatOutcome{nullptr, nullptr, nullptr, TRVNS_MODULE_NAMESPACE, false};
constexpr Outcome kDirStatOutcome{nullptr, nullptr, msg::kDirectoryListingFailed, TRVNS_MODULE_NAMESPACE, false};
constexpr Outcome kListAllOutcome{msg::kServerConnectFailed, msg::kListAllFailedCode, msg::kListAllFailed,
                                  TRVNS_MODULE_NAMESPACE, false};
constexpr Outcome kListJunctionsOutcome{msg::kServerConnectFailed, msg::kListJunctionsFailed, nullptr,
                                        TRVNS_MODULE_NAMESPACE, true};

// One page value (number or size) of the junction listing.
struct PageOption {
    const char *duplicateMessage;
    const char *usageMessage;
    const char *invalidMessage;
    const char *nonDigitMessage;
    bool given = false;
    int32_t value = 0;
};

// Returns -1 when the value is taken, else the exit status.
int takePageValue(PageOption &page, const char *text) {
    if (page.given) return fail(page.duplicateMessage);
    page.given = true;
    if (text == nullptr) return fail(page.usageMessage);
    errno = 0;
    char *end = nullptr;
    long value = strtol(text, &end, 10);
    if (errno == ERANGE || static_cast<unsigned long>(value) > kMaxPageValue) return fail(page.invalidMessage);
    if (end == text) return fail(page.nonDigitMessage);
    page.value = static_cast<int32_t>(value);
    return -1;
}

void freeListAllRows(trvns_listAll_output &result) {
    if (result.entries == nullptr) return;
    for (int32_t i = 0; i < result.count; ++i) {
        free(result.entries[i].folderName);
        free(result.entries[i].junctionName);
        free(result.entries[i].targetPath);
    }
    free(result.entries);
}

// The page facts that the text listing shows in its heading line.
json::Json pageFacts(const char *nameSpace, const trvns_listAll_output &result, int32_t pageNum, int32_t pageSize) {
    const int64_t total = result.totalJunctions;
    int64_t page = 1;
    int64_t pages = 1;
    int64_t size = result.count;
    if (pageNum != 0 && pageSize != 0) {
        page = pageNum;
        pages = (total + pageSize - 1) / pageSize;
        size = pageSize;
    } else if (pageSize > 0) {
        pages = (total + pageSize - 1) / pageSize;
    }
    return {{"namespace", nameSpace}, {"page", page},   {"pages", pages},
            {"page_size", size},      {"total", total}, {"count", result.count}};
}

// The listing's records carry no server, volume or type of a junction.
void junctionFacts(const trvns_junction_entry &entry, json::Json &facts) {
    facts["folder"] = json::text(entry.folderName);
    facts["name"] = json::text(entry.junctionName);
    facts["server"] = nullptr;
    facts["volume"] = nullptr;
    facts["path"] = json::text(entry.targetPath);
    facts["type"] = nullptr;
}

void elementFacts(const trvns_stat_element &element, json::Json &facts) {
    if (element.st == nullptr) {
        facts = {{"name", json::text(element.name)}, {"kind", nullptr}};
        return;
    }
    if (facts.contains("kind") && facts["kind"].is_null()) facts = json::Json();
    facts["name"] = json::text(element.name);
    json::putStatFacts(facts, *element.st);
}

const char *missingValueLine(int option) {
    switch (option) {
    case 'p': return msg::kPagenumMissing;
    case 'n': return msg::kNamespaceMissing;
    case 's': return msg::kPagesizeMissing;
    default: return msg::kUnknownOptionSupplied;
    }
}

}  // namespace

int ObjStatHandler(int argc, char **argv, const Context &context) {
    PathAndFormat parsed;
    int exitStatus = parsePathAndFormat(argc, argv, parsed, help::objStatUsage);
    if (exitStatus >= 0) return exitStatus;
    puts(msg::kObjStatCalled);
    printf(msg::kPathLine, parsed.path);
    printf(msg::kOutputFormat, parsed.format.name());

    trvns_objStat_output result{};
    return runCommand(
        context, kObjStatOutcome, [&] { return TRVNS_MGMT_objStat(0, parsed.path, &result); },
        [&] {
            if (json::active()) {
                json::Json facts = {{"path", parsed.path}, {"count", result.count}, {"flags", result.flags}};
                facts.update(json::statFacts(result.st));
                json::data() = std::move(facts);
            } else {
                printObjStatout(&result);
            }
            TRVNS_MGMT_freeObjStatout(&result);
        });
}

int ListDirectoryHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *path = nullptr;
    const char *user = nullptr;
    int c;
    while ((c = getopt_long(argc, argv, "p:u:h", kListDirectoryOptions, nullptr)) != -1) {
        switch (c) {
        case 'p':
            if (path != nullptr) return fail(msg::kDuplicatePath);
            path = optarg;
            break;
        case 'u':
            if (user != nullptr) return fail(msg::kDuplicateUser);
            user = optarg;
            break;
        case 'h':
            if (path != nullptr && user != nullptr) break;  // ignored once both are given
            help::listDirectoryUsage();
            return 0;
        case '?':
            // Guess what is missing from what was seen so far.
            if (path == nullptr) printError(msg::kListPathNotProvided);
            if (user == nullptr) printError(msg::kListUserNotProvided);
            return kExitUsageError;
        default:
            return failWithUsage(msg::kUnknownOption, help::listDirectoryUsage);
        }
    }
    if (path == nullptr) return failWithUsage(msg::kListPathRequired, help::listDirectoryUsage);
    if (user == nullptr) user = kRootUser;
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::listDirectoryUsage);

    trvns_dirStat_output result{};
    if (json::active()) json::data() = {{"path", path}, {"user", user}};
    return runCommand(
        context, kDirStatOutcome,
        [&]() -> Step {
            uint32_t uid = 0;
            if (strcmp(user, kRootUser) != 0) {
                HeapString canonical(processUserName(user));
                if (!canonical) {
                    puts(msg::kFailedToProcessUser);
                    return Step::finished(kExitUsageError);
                }
                int lookup = uxrlib_get_uid_from_uname(0, canonical.get(), &uid);
                if (lookup != 0) {
                    printf(msg::kUxrLookupFailed, lookup);
                    return Step::finished(lookup);
                }
            }
            return TRVNS_MGMT_dirStat(uid, path, &result);
        },
        [&] {
            if (json::active()) {
                // Written entry by entry once the document goes out; the
                // record is freed after that.
                json::StreamedData streamed;
                streamed.head = {{"path", path}, {"user", user}, {"count", result.count}, {"flags", result.flags}};
                streamed.arrayKey = "entries";
                streamed.count = result.elements != nullptr ? result.count : 0;
                std::shared_ptr<trvns_dirStat_output> owned(new trvns_dirStat_output(result), [](trvns_dirStat_output *r) {
                    TRVNS_MGMT_freeDirStatout(r);
                    delete r;
                });
                streamed.entry = [owned](uint64_t i, json::Json &entry) { elementFacts(owned->elements[i], entry); };
                json::streamData(std::move(streamed));
                return;
            }
            printDirStatout(&result);
            TRVNS_MGMT_freeDirStatout(&result);
        });
}

int ListAllJunctionsHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    errno = 0;
    const char *nameSpace = nullptr;
    PageOption pageNum{msg::kDuplicatePagenum, msg::kPagenumUsage, msg::kPagenumInvalid, msg::kPagenumNonDigit};
    PageOption pageSize{msg::kDuplicatePagesize, msg::kPagesizeUsage, msg::kPagesizeInvalid, msg::kPagesizeNonDigit};
    int c;
    while ((c = getopt_long(argc, argv, "n:p:s:h", kListAllOptions, nullptr)) != -1) {
        int exitStatus = -1;
        switch (c) {
        case 'n':
            if (nameSpace != nullptr) return fail(msg::kDuplicateNamespace);
            nameSpace = optarg;
            break;
        case 'h':
            if (nameSpace != nullptr) break;  // ignored once the namespace is given
            help::junctionListingUsage();
            return 0;
        case 'p':
            exitStatus = takePageValue(pageNum, optarg);
            break;
        case 's':
            exitStatus = takePageValue(pageSize, optarg);
            break;
        case '?':
            puts(missingValueLine(optopt));
            help::junctionListingUsage();
            return kExitUsageError;
        default:
            return failWithUsage(msg::kUnknownOption, help::junctionListingUsage);
        }
        if (exitStatus >= 0) return exitStatus;
    }
    if (nameSpace == nullptr) return failWithUsage(msg::kNamespaceRequired, help::junctionListingUsage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::junctionListingUsage);

    trvns_listAll_output result{};
    return runCommand(
        context, kListAllOutcome,
        [&] { return TRVNS_MGMT_listAll(nameSpace, pageNum.value, pageSize.value, &result); },
        [&] {
            if (json::active()) {
                json::StreamedData streamed;
                streamed.head = pageFacts(nameSpace, result, pageNum.value, pageSize.value);
                streamed.arrayKey = "junctions";
                streamed.count = result.entries != nullptr && result.count > 0 ? result.count : 0;
                std::shared_ptr<trvns_listAll_output> owned(new trvns_listAll_output(result), [](trvns_listAll_output *r) {
                    freeListAllRows(*r);
                    delete r;
                });
                streamed.entry = [owned](uint64_t i, json::Json &entry) { junctionFacts(owned->entries[i], entry); };
                json::streamData(std::move(streamed));
                return;
            }
            if (result.count == 0) printf(msg::kNoJunctions, 0);
            printListAllJunctionsout(&result, pageNum.value, pageSize.value);
            freeListAllRows(result);
        });
}

int ListJunctionsHandler(int argc, char **argv, const Context &context) {
    PathAndFormat parsed;
    int exitStatus = parsePathAndFormat(argc, argv, parsed, help::listJunctionsUsage);
    if (exitStatus >= 0) return exitStatus;
    puts(msg::kListJunctionsCalled);
    printf(msg::kDirectoryPathLine, parsed.path);
    printf(msg::kOutputFormat, parsed.format.name());

    return runCommand(
        context, kListJunctionsOutcome,
        [&] {
            printf(msg::kListingJunctionsAt, parsed.path);
            if (json::active()) json::data() = {{"path", parsed.path}};
            return TRVNS_MGMT_listJunctions(parsed.path, nullptr, 0);
        },
        nothingToPrint);
}

}  // namespace cli
