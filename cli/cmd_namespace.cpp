// Namespace commands: create, delete, purge (with its confirmation), salvage
// and list.
#include <strings.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"
#include "trvns_mgmt.h"
#include "trvns_status_codes.h"

namespace cli {
namespace {

using trvns::status::kInvalidInput;  // also: create's own validation status
constexpr size_t kMinNameLength = 2;
constexpr size_t kMaxNameLength = 31;
constexpr char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_!@#$%&()";
constexpr char kUnsetAttribute[] = "None";
constexpr uint32_t kCreateOptions = 1;
constexpr uint32_t kInvalidUid = 0xffffffffu;
constexpr char kListServer[] = "test";
constexpr char kTerminal[] = "/dev/tty";

const option kCreateOptionTable[] = {
    {"namespace", required_argument, nullptr, 'n'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

const option kUidNameOptions[] = {
    {"uid", required_argument, nullptr, 'u'},
    {"name", required_argument, nullptr, 'n'},
    QTRVNS_FORMAT_LONG_OPTIONS,
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

bool validNamespaceCharacters(const char *name) {
    for (const char *p = name; *p != '\0'; ++p) {
        if (strchr(kNameCharacters, *p) == nullptr) return false;
    }
    return true;
}

// The uid travels as typed and is converted only when the request is made;
// a bad uid is reported and sent as 4294967295.
uint32_t uidFromText(const char *text) {
    errno = 0;
    char *end = nullptr;
    unsigned long value = strtoul(text, &end, 10);
    if (errno != 0) {
        perror("strtoul");
        return kInvalidUid;
    }
    if (end == text || *end != '\0') {
        fprintf(stderr, msg::kInvalidUidString, text);
        return kInvalidUid;
    }
    if (value > UINT32_MAX) {
        fprintf(stderr, msg::kUidOutOfRange, text);
        return kInvalidUid;
    }
    return static_cast<uint32_t>(value);
}

// The uid as a number for the JSON result; null when it is not one.
json::Json uidFact(const char *text) {
    errno = 0;
    char *end = nullptr;
    unsigned long value = strtoul(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value > UINT32_MAX) return nullptr;
    return static_cast<uint32_t>(value);
}

// What tells deletenamespace and salvagenamespace apart.
struct UidNameCommand {
    void (*usage)();
    const char *banner;
    const char *progress;
    Outcome outcome;
    int (*operation)(const char *name, uint32_t uid);
};

constexpr SpecialText kCreateTexts[] = {{trvns::status::kExists, msg::kNamespaceExists}, {0, nullptr}};
constexpr Outcome kCreateOutcome{msg::kServerConnectFailed, msg::kNamespaceCreationFailedCode,
                                 msg::kNamespaceCreationFailed, TRVNS_MODULE_NAMESPACE, false, kCreateTexts};
constexpr Outcome kPurgeOutcome{nullptr, nullptr, msg::kPurgeFailed, TRVNS_MODULE_NAMESPACE, false};
constexpr Outcome kListOutcome{msg::kServerConnectFailed, nullptr, msg::kListNamespacesFailed,
                               TRVNS_MODULE_NAMESPACE, false};

int deleteNamespace(const char *name, uint32_t uid) {
    trvns_deleteNamespace_input in{TRVNS_MGMT_API_VERSION, const_cast<char *>(name), uid, 0};
    return TRVNS_MGMT_deleteNamespace(&in);
}

int salvageNamespace(const char *name, uint32_t uid) {
    trvns_salvageNamespace_input in{TRVNS_MGMT_API_VERSION, const_cast<char *>(name), uid, 0};
    return TRVNS_MGMT_salvageNamespace(&in);
}

const UidNameCommand kDeleteCommand{help::deleteNamespaceUsage, "DeleteNamespaceHandler called.",
                                    "deleting namespace with uid: %s namepsace name :%s options:%u \n",
                                    {msg::kServerConnectFailed, "deleteNamespace failed with retCode :%d \n", nullptr,
                                     TRVNS_MODULE_NAMESPACE, true},
                                    deleteNamespace};
const UidNameCommand kSalvageCommand{help::salvageNamespaceUsage, "SalvageNamespaceHandler called.",
                                     "salvaging namespace with uid: %s namepsace name :%s options:%u \n",
                                     {msg::kServerConnectFailed, "salvageNamespace failed with retCode :%d \n", nullptr,
                                      TRVNS_MODULE_NAMESPACE, true},
                                     salvageNamespace};

int runUidNameCommand(const UidNameCommand &command, int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *uidText = nullptr;
    const char *name = nullptr;
    OutputFormat format;
    int c;
    while ((c = getopt_long(argc, argv, "u:n:h", kUidNameOptions, nullptr)) != -1) {
        switch (c) {
        case 'h':
            command.usage();
            return 0;
        case 'u':
            if (uidText != nullptr) return fail(msg::kDuplicateUid);
            uidText = optarg;
            break;
        case 'n':
            if (name != nullptr) return fail(msg::kDuplicateName);
            name = optarg;
            break;
        case OutputFormat::kJson:
        case OutputFormat::kXml:
        case OutputFormat::kText:
            if (!format.take(c)) return fail(msg::kMultipleFormats);
            break;
        default:
            return failWithUsage(msg::kUnknownOption, command.usage);
        }
    }
    if (uidText == nullptr || name == nullptr) return failWithUsage(msg::kAllMandatory, command.usage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, command.usage);
    puts(command.banner);
    printf(msg::kUidLine, uidText);
    printf(msg::kNameLine, name);
    printf(msg::kOutputFormat, format.name());
    if (json::active()) json::data() = {{"name", name}, {"uid", uidFact(uidText)}};
    return runCommand(
        context, command.outcome,
        [&] {
            printf(command.progress, uidText, name, 0u);
            fflush(stdout);
            return command.operation(name, uidFromText(uidText));
        },
        nothingToPrint);
}

// One attempt: true only for "yes" in any case.
enum class Answer { kYes, kNo, kInvalid, kUnreadable };

// Reads one answer line; in a batch from the terminal, never from the
// batch's own input.
Answer readAnswer(Confirmation confirmation) {
    if (confirmation == Confirmation::kAssumeYes) return Answer::kYes;
    FILE *in = stdin;
    if (confirmation == Confirmation::kTerminal) {
        in = fopen(kTerminal, "re");
        if (in == nullptr) return Answer::kUnreadable;
    }
    char answer[5];
    char *line = fgets(answer, sizeof answer, in);
    if (in != stdin) fclose(in);
    if (line == nullptr) return Answer::kUnreadable;
    size_t length = strlen(answer);
    if (length > 0 && answer[length - 1] == '\n') answer[length - 1] = '\0';
    if (strcasecmp(answer, "yes") == 0) return Answer::kYes;
    if (strcasecmp(answer, "no") == 0) return Answer::kNo;
    return Answer::kInvalid;
}

Answer askPurgeConfirmation(Confirmation confirmation) {
    // Standard output in text mode; in a JSON format it carries only the
    // document, so the question goes to standard error.
    FILE *out = json::promptStream();
    fputs(msg::kPurgeNote, out);
    fputc('\n', out);
    fputs(msg::kPurgePrompt, out);
    fflush(out);
    return readAnswer(confirmation);
}

const option kPurgeOptions[] = {
    {"namespace", required_argument, nullptr, 'n'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

}  // namespace

int CreateNamespaceHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *name = nullptr;
    int c;
    while ((c = getopt_long(argc, argv, "n:h", kCreateOptionTable, nullptr)) != -1) {
        switch (c) {
        case 'h':
            help::createNamespaceUsage();
            return 0;
        case 'n':
            if (name != nullptr) return fail(msg::kDuplicateName);
            name = optarg;
            break;
        default:
            return failWithUsage(msg::kCreateNamespaceNotProvided, help::createNamespaceUsage);
        }
    }
    if (optind < argc) {
        failWithUsage(msg::kUnexpectedArguments, help::createNamespaceUsage);
        return kInvalidInput;
    }
    if (name == nullptr) {
        failWithUsage(msg::kAllMandatory, help::createNamespaceUsage);
        return kInvalidInput;
    }
    size_t length = strlen(name);
    if (length < kMinNameLength || length > kMaxNameLength) {
        printError(msg::kNamespaceLength);
        return kInvalidInput;
    }
    if (!validNamespaceCharacters(name)) {
        printError(msg::kNamespaceCharacters);
        return kInvalidInput;
    }

    trvns_createNamespace_input in{TRVNS_MGMT_API_VERSION, const_cast<char *>(name), 0,
                                   const_cast<char *>(kUnsetAttribute), const_cast<char *>(kUnsetAttribute),
                                   kCreateOptions};
    if (json::active()) json::data() = {{"name", name}};
    return runCommand(
        context, kCreateOutcome, [&] { return TRVNS_MGMT_createNamespace(&in); },
        [&] { printf(msg::kNamespaceCreated, name); });
}

int DeleteNamespaceHandler(int argc, char **argv, const Context &context) {
    return runUidNameCommand(kDeleteCommand, argc, argv, context);
}

int SalvageNamespaceHandler(int argc, char **argv, const Context &context) {
    return runUidNameCommand(kSalvageCommand, argc, argv, context);
}

int PurgeNamespaceHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *name = nullptr;
    int c;
    while ((c = getopt_long(argc, argv, ":n:h", kPurgeOptions, nullptr)) != -1) {
        switch (c) {
        case 'h':
            help::purgeUsage();
            return 0;
        case 'n':
            if (name != nullptr) return fail(msg::kDuplicateName);
            name = optarg;
            break;
        case ':':
            return failWithUsage(msg::kRequiresArgument, help::purgeUsage);
        default:
            return failWithUsage(msg::kUnknownOption, help::purgeUsage);
        }
    }
    if (name == nullptr) return failWithUsage(nullptr, help::purgeUsage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::purgeUsage);

    switch (askPurgeConfirmation(context.confirmation)) {
    case Answer::kUnreadable:
        puts(msg::kPurgeReadError);
        return kExitUsageError;
    case Answer::kNo:
        puts(msg::kPurgeAborting);
        return kExitUsageError;
    case Answer::kInvalid:
        puts(msg::kPurgeInvalidAnswer);
        return kExitUsageError;
    case Answer::kYes:
        puts(msg::kPurgeContinuing);
        break;
    }

    trvns_purgeNamespace_input in{TRVNS_MGMT_API_VERSION, const_cast<char *>(name), uidFromText("0"), 0};
    if (json::active()) json::data() = {{"name", name}};
    return runCommand(
        context, kPurgeOutcome, [&] { return TRVNS_MGMT_purgeNamespace(&in); },
        [&] { printf(msg::kPurged, name); });
}

int ListNamespacesHandler(int /*argc*/, char ** /*argv*/, const Context &context) {
    opterr = 0;  // takes no options: every further argument is ignored
    trvns_getNamespaces_input in{TRVNS_MGMT_API_VERSION, 0, const_cast<char *>(kListServer), 0};
    trvns_namespace_list list{};
    return runCommand(
        context, kListOutcome, [&] { return TRVNS_MGMT_getNamespaces(&in, &list); },
        [&] {
            if (json::active()) {
                json::Json namespaces = json::Json::array();
                for (uint16_t i = 0; i < list.count && list.namespaces != nullptr; ++i) {
                    const trvns_namespace &n = list.namespaces[i];
                    namespaces.push_back({{"name", json::text(n.name)},
                                          {"flags", n.flags},
                                          {"number1", n.number1},
                                          {"number2", n.number2},
                                          {"number3", n.number3},
                                          {"cifs_attribute", json::text(n.cifsAttr)},
                                          {"trvns_attribute", json::text(n.trvnsAttr)}});
                }
                json::data() = {{"count", list.count}, {"namespaces", std::move(namespaces)}};
            } else {
                printNamespaceList(&list);
            }
            TRVNS_MGMT_freeNamespaceList(&list);
        });
}

}  // namespace cli
