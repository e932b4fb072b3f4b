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

namespace cli {
namespace {

constexpr int kInvalidArgumentExit = 22;  // create's own validation status
constexpr size_t kMinNameLength = 2;
constexpr size_t kMaxNameLength = 31;
constexpr char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_!@#$%&()";
constexpr char kUnsetAttribute[] = "None";
constexpr uint32_t kCreateOptions = 1;
constexpr uint32_t kInvalidUid = 0xffffffffu;
constexpr int kNamespaceExists = 17;
constexpr char kListServer[] = "test";

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

// What tells deletenamespace and salvagenamespace apart.
struct UidNameCommand {
    void (*usage)();
    const char *banner;
    const char *progress;
    const char *failure;
    int (*operation)(const char *name, uint32_t uid);
};

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
                                    "deleteNamespace failed with retCode :%d \n", deleteNamespace};
const UidNameCommand kSalvageCommand{help::salvageNamespaceUsage, "SalvageNamespaceHandler called.",
                                     "salvaging namespace with uid: %s namepsace name :%s options:%u \n",
                                     "salvageNamespace failed with retCode :%d \n", salvageNamespace};

int runUidNameCommand(const UidNameCommand &command, int argc, char **argv) {
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

    int status = connectService();
    if (status != 0) {
        printf(msg::kServerConnectFailed, status);
        return status;
    }
    printf(command.progress, uidText, name, 0u);
    fflush(stdout);
    status = command.operation(name, uidFromText(uidText));
    if (status != 0) printf(command.failure, status);
    printf(msg::kDisconnectCompleted, disconnectService());
    return status;
}

// One attempt: true only for "yes" in any case.
enum class Answer { kYes, kNo, kInvalid, kUnreadable };

Answer askPurgeConfirmation() {
    puts(msg::kPurgeNote);
    fputs(msg::kPurgePrompt, stdout);
    fflush(stdout);
    char answer[5];
    if (fgets(answer, sizeof answer, stdin) == nullptr) return Answer::kUnreadable;
    size_t length = strlen(answer);
    if (length > 0 && answer[length - 1] == '\n') answer[length - 1] = '\0';
    if (strcasecmp(answer, "yes") == 0) return Answer::kYes;
    if (strcasecmp(answer, "no") == 0) return Answer::kNo;
    return Answer::kInvalid;
}

const option kPurgeOptions[] = {
    {"namespace", required_argument, nullptr, 'n'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

}  // namespace

int CreateNamespaceHandler(int argc, char **argv) {
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
        return kInvalidArgumentExit;
    }
    if (name == nullptr) {
        failWithUsage(msg::kAllMandatory, help::createNamespaceUsage);
        return kInvalidArgumentExit;
    }
    size_t length = strlen(name);
    if (length < kMinNameLength || length > kMaxNameLength) {
        printError(msg::kNamespaceLength);
        return kInvalidArgumentExit;
    }
    if (!validNamespaceCharacters(name)) {
        printError(msg::kNamespaceCharacters);
        return kInvalidArgumentExit;
    }

    int status = connectService();
    if (status != 0) {
        printf(msg::kServerConnectFailed, status);
        return status;
    }
    trvns_createNamespace_input in{TRVNS_MGMT_API_VERSION, const_cast<char *>(name), 0,
                                   const_cast<char *>(kUnsetAttribute), const_cast<char *>(kUnsetAttribute),
                                   kCreateOptions};
    status = TRVNS_MGMT_createNamespace(&in);
    if (status == kNamespaceExists) {
        printf(msg::kNamespaceCreationFailed, msg::kNamespaceExists);
    } else if (status != 0) {
        printf(msg::kNamespaceCreationFailedCode, status);
        printf(msg::kNamespaceCreationFailed, statusText(status));
    } else {
        printf(msg::kNamespaceCreated, name);
    }
    disconnectService();
    return status;
}

int DeleteNamespaceHandler(int argc, char **argv) { return runUidNameCommand(kDeleteCommand, argc, argv); }

int SalvageNamespaceHandler(int argc, char **argv) { return runUidNameCommand(kSalvageCommand, argc, argv); }

int PurgeNamespaceHandler(int argc, char **argv) {
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

    switch (askPurgeConfirmation()) {
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

    int status = connectService();
    if (status != 0) return status;
    trvns_purgeNamespace_input in{TRVNS_MGMT_API_VERSION, const_cast<char *>(name), uidFromText("0"), 0};
    status = TRVNS_MGMT_purgeNamespace(&in);
    if (status != 0) {
        printf(msg::kPurgeFailed, statusText(status));
    } else {
        printf(msg::kPurged, name);
    }
    disconnectService();
    return status;
}

int ListNamespacesHandler(int /*argc*/, char ** /*argv*/) {
    opterr = 0;  // takes no options: every further argument is ignored
    int status = connectService();
    if (status != 0) {
        printf(msg::kServerConnectFailed, status);
        return status;
    }
    trvns_getNamespaces_input in{TRVNS_MGMT_API_VERSION, 0, const_cast<char *>(kListServer), 0};
    trvns_namespace_list list{};
    status = TRVNS_MGMT_getNamespaces(&in, &list);
    if (status == 0) {
        printNamespaceList(&list);
        TRVNS_MGMT_freeNamespaceList(&list);
    } else {
        printf(msg::kListNamespacesFailed, statusText(status));
    }
    disconnectService();
    return status;
}

}  // namespace cli
