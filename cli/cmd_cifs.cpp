// get-cifs-attr and set-cifs-attr: the CIFS attribute text of a namespace.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"
#include "trvns_mgmt.h"

namespace cli {
namespace {

const option kCifsOptions[] = {
    {"namespace", required_argument, nullptr, 'n'},
    {"uid", required_argument, nullptr, 'u'},
    {"attr", required_argument, nullptr, 'a'},
    QTRVNS_FORMAT_LONG_OPTIONS,
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

struct CifsArguments {
    const char *nameSpace = nullptr;
    bool uidGiven = false;
    uint32_t uid = 0;
    const char *attr = nullptr;
    OutputFormat format;
};

// What tells the two commands apart.
struct CifsCommand {
    bool takesAttr;
    const char *shortOptions;
    void (*usage)();
    const char *banner;
};

constexpr Outcome kGetOutcome{msg::kServerConnectFailed, msg::kGetCifsFailed, nullptr, TRVNS_MODULE_NAMESPACE, true};
constexpr Outcome kSetOutcome{msg::kServerConnectFailed, msg::kSetCifsFailed, nullptr, TRVNS_MODULE_NAMESPACE, true};

const CifsCommand kGet{false, "n:u:h", help::getCifsAttrUsage, msg::kGetCifsCalled};
const CifsCommand kSet{true, "n:u:a:h", help::setCifsAttrUsage, msg::kSetCifsCalled};

// The uid is converted as soon as it is parsed; trailing characters end the
// command at once.  errno is not examined: overflow gives 4294967295.
bool parseUid(const char *text, uint32_t *uid) {
    errno = 0;
    char *end = nullptr;
    unsigned long value = strtoul(text, &end, 10);
    if (*end != '\0') {
        fprintf(stderr, msg::kInvalidUidValue, text);
        return false;
    }
    *uid = static_cast<uint32_t>(value);
    return true;
}

// Returns -1 when the arguments are complete, else the exit status.
int parseCifsArguments(const CifsCommand &command, int argc, char **argv, CifsArguments &args) {
    resetOptionParser();
    int c;
    while ((c = getopt_long(argc, argv, command.shortOptions, kCifsOptions, nullptr)) != -1) {
        switch (c) {
        case 'h':
            command.usage();
            return 0;
        case 'n':
            if (args.nameSpace != nullptr) return fail(msg::kDuplicateNamespace);
            args.nameSpace = optarg;
            break;
        case 'u':
            if (args.uidGiven) return fail(msg::kDuplicateUid);
            args.uidGiven = true;
            if (!parseUid(optarg, &args.uid)) return kExitUsageError;
            if (!command.takesAttr) printf(msg::kParsedUid, args.uid);
            break;
        case 'a':
            if (!command.takesAttr) return failWithUsage(msg::kUnknownOption, command.usage);
            if (args.attr != nullptr) return fail(msg::kDuplicateAttr);
            args.attr = optarg;
            break;
        case OutputFormat::kJson:
        case OutputFormat::kXml:
        case OutputFormat::kText:
            if (!args.format.take(c)) return fail(msg::kMultipleFormats);
            break;
        default:
            return failWithUsage(msg::kUnknownOption, command.usage);
        }
    }
    if (args.nameSpace == nullptr) return failWithUsage(msg::kCifsNamespaceRequired, command.usage);
    if (!args.uidGiven) return failWithUsage(msg::kUidRequired, command.usage);
    if (command.takesAttr && args.attr == nullptr) return failWithUsage(msg::kAttrRequired, command.usage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, command.usage);
    puts(command.banner);
    printf(msg::kNamespaceLine, args.nameSpace);
    printf(msg::kUidNumberLine, static_cast<int>(args.uid));
    printf(msg::kOutputFormat, args.format.name());
    return -1;
}

}  // namespace

int GetCifsAttrHandler(int argc, char **argv, const Context &context) {
    CifsArguments args;
    int exitStatus = parseCifsArguments(kGet, argc, argv, args);
    if (exitStatus >= 0) return exitStatus;

    trvns_getNSCifsAttr_input in{TRVNS_MGMT_API_VERSION, args.uid, const_cast<char *>(args.nameSpace), 0};
    trvns_cifs_attr attr{nullptr};
    int commandStatus = runCommand(
        context, kGetOutcome,
        [&] {
            printf(msg::kGetCifsTuple, args.nameSpace, static_cast<int>(args.uid));
            return TRVNS_MGMT_getNSCifsAttr(&in, &attr);
        },
        [&] {
            printf(msg::kCifsAttrs, attr.cifsAttr ? attr.cifsAttr : "");
            if (json::active()) {
                json::data() = {{"namespace", args.nameSpace}, {"uid", args.uid}, {"cifs_attribute", json::text(attr.cifsAttr)}};
            }
        });
    TRVNS_MGMT_freeCifsAttr(&attr);
    return commandStatus;
}

int SetCifsAttrHandler(int argc, char **argv, const Context &context) {
    CifsArguments args;
    int exitStatus = parseCifsArguments(kSet, argc, argv, args);
    if (exitStatus >= 0) return exitStatus;

    trvns_setNSCifsAttr_input in{TRVNS_MGMT_API_VERSION, args.uid, const_cast<char *>(args.nameSpace), 0};
    trvns_cifs_attr attr{const_cast<char *>(args.attr)};
    if (json::active()) json::data() = {{"namespace", args.nameSpace}, {"uid", args.uid}, {"cifs_attribute", args.attr}};
    return runCommand(
        context, kSetOutcome,
        [&] {
            printf(msg::kSetCifsTuple, args.nameSpace, static_cast<int>(args.uid), args.attr);
            return TRVNS_MGMT_setNSCifsAttr(&in, &attr);
        },
        nothingToPrint);
}

}  // namespace cli
