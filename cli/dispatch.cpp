// The command table: command words, group options and their handlers.  The
// dispatcher walks it in order; the first match wins.
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"

namespace cli {
namespace {

// How much of the program's vector a handler gets: after a shift of 1
// element 0 is the command word; after 2 it is the group option.
enum Shift { kKeepGroupOption = 1, kConsumeGroupOption = 2 };

struct GroupOption {
    const char *option;
    Handler handler;
    Shift shift;
};

struct Group {
    const GroupOption *options;
    size_t optionCount;
    void (*usage)();
    const char *missingError;  // null: no message
    bool usageWhenMissing;
    const char *unknownError;  // null: no message
    bool usageWhenUnknown;
};

struct Command {
    const char *word;
    bool ignoreCase;
    Handler handler;  // plain command
    Shift shift;
    const Group *group;  // group command
};

constexpr char kInsufficientOptions[] = "Error: Insufficient number of options.\n";
constexpr char kInvalidOption[] = "Error: Invalid option passed in.\n";
constexpr char kUnsupportedOption[] = "Error: Unsupported option for this command.\n";
constexpr char kUnknownCommand[] = "Error: Unknown command '%s'.\n";
constexpr char kVersion[] = "qtrvns-mgmt " QTRVNS_VERSION "\n";

int listGroupHelp(int, char **) {
    help::listGroupUsage();
    return 0;
}
int createGroupHelp(int, char **) {
    help::createGroupUsage();
    return 0;
}
int trusteeGroupHelp(int, char **) {
    help::trusteeGroupUsage();
    return 0;
}

const GroupOption kListOptions[] = {
    {"--path", ListDirectoryHandler, kKeepGroupOption},       {"-p", ListDirectoryHandler, kKeepGroupOption},
    {"--user", ListDirectoryHandler, kKeepGroupOption},       {"-u", ListDirectoryHandler, kKeepGroupOption},
    {"--namespaces", ListNamespacesHandler, kKeepGroupOption}, {"-n", ListNamespacesHandler, kKeepGroupOption},
    {"--help", listGroupHelp, kKeepGroupOption},              {"-h", listGroupHelp, kKeepGroupOption},
};
const GroupOption kCreateOptions[] = {
    {"--directory", CreateFolderHandler, kKeepGroupOption},    {"-d", CreateFolderHandler, kKeepGroupOption},
    {"--junction", CreateJunctionHandler, kConsumeGroupOption}, {"-j", CreateJunctionHandler, kConsumeGroupOption},
    {"--namespace", CreateNamespaceHandler, kKeepGroupOption},  {"-n", CreateNamespaceHandler, kKeepGroupOption},
    {"--help", createGroupHelp, kKeepGroupOption},              {"-h", createGroupHelp, kKeepGroupOption},
};
const GroupOption kTrusteeOptions[] = {
    {"--grant", TrusteeGrantHandler, kConsumeGroupOption},   {"-g", TrusteeGrantHandler, kConsumeGroupOption},
    {"--revoke", TrusteeRevokeHandler, kConsumeGroupOption}, {"-r", TrusteeRevokeHandler, kConsumeGroupOption},
    {"--help", trusteeGroupHelp, kKeepGroupOption},          {"-h", trusteeGroupHelp, kKeepGroupOption},
};
const GroupOption kPurgeOptions[] = {
    {"--namespace", PurgeNamespaceHandler, kKeepGroupOption},
    {"-n", PurgeNamespaceHandler, kKeepGroupOption},
};
const GroupOption kVolumeOptions[] = {
    {"--add", VolumeAddHandler, kKeepGroupOption},       {"-a", VolumeAddHandler, kKeepGroupOption},
    {"--modify", VolumeModifyHandler, kKeepGroupOption}, {"-m", VolumeModifyHandler, kKeepGroupOption},
    {"--remove", VolumeRemoveHandler, kKeepGroupOption}, {"-r", VolumeRemoveHandler, kKeepGroupOption},
};

#define QTRVNS_OPTIONS(table) table, sizeof table / sizeof table[0]
const Group kListGroup{QTRVNS_OPTIONS(kListOptions), help::listGroupUsage, kInsufficientOptions, true, nullptr, true};
const Group kCreateGroup{QTRVNS_OPTIONS(kCreateOptions), help::createGroupUsage, kInsufficientOptions, true,
                         kInvalidOption, true};
const Group kTrusteeGroup{QTRVNS_OPTIONS(kTrusteeOptions), help::trusteeGroupUsage, kInsufficientOptions, true,
                          kUnsupportedOption, true};
const Group kPurgeGroup{QTRVNS_OPTIONS(kPurgeOptions), help::purgeGroupUsage, nullptr, true, nullptr, true};
const Group kVolumeGroup{QTRVNS_OPTIONS(kVolumeOptions), nullptr, kInsufficientOptions, false, kUnsupportedOption,
                         false};

const Command kCommands[] = {
    {"objstat", false, ObjStatHandler, kKeepGroupOption, nullptr},
    {"list", false, nullptr, kKeepGroupOption, &kListGroup},
    {"listJunctions", true, ListAllJunctionsHandler, kKeepGroupOption, nullptr},
    {"lj", true, ListAllJunctionsHandler, kKeepGroupOption, nullptr},
    {"create", false, nullptr, kKeepGroupOption, &kCreateGroup},
    {"trustee", false, nullptr, kKeepGroupOption, &kTrusteeGroup},
    {"purge", false, nullptr, kKeepGroupOption, &kPurgeGroup},
    {"delete", false, DeleteHandler, kKeepGroupOption, nullptr},
    {"rename", false, RenameHandler, kKeepGroupOption, nullptr},
    {"move", false, MoveHandler, kKeepGroupOption, nullptr},
    {"trustee-grant", false, TrusteeGrantHandler, kKeepGroupOption, nullptr},
    {"trustee-revoke", false, TrusteeRevokeHandler, kKeepGroupOption, nullptr},
    {"trustee-list", false, TrusteeListHandler, kKeepGroupOption, nullptr},
    {"gettarget", false, GetTargetHandler, kKeepGroupOption, nullptr},
    {"list-junctions", false, ListJunctionsHandler, kKeepGroupOption, nullptr},
    {"list-namespaces", false, ListNamespacesHandler, kKeepGroupOption, nullptr},
    {"get-cifs-attr", false, GetCifsAttrHandler, kKeepGroupOption, nullptr},
    {"set-cifs-attr", false, SetCifsAttrHandler, kKeepGroupOption, nullptr},
    {"createnamespace", false, CreateNamespaceHandler, kKeepGroupOption, nullptr},
    {"deletenamespace", false, DeleteNamespaceHandler, kKeepGroupOption, nullptr},
    {"purgenamespace", false, PurgeNamespaceHandler, kKeepGroupOption, nullptr},
    {"salvagenamespace", false, SalvageNamespaceHandler, kKeepGroupOption, nullptr},
    {"volume", false, nullptr, kKeepGroupOption, &kVolumeGroup},
};

bool matches(const Command &command, const char *word) {
    return command.ignoreCase ? strcasecmp(command.word, word) == 0 : strcmp(command.word, word) == 0;
}

int call(Handler handler, Shift shift, int argc, char **argv) { return handler(argc - shift, argv + shift); }

int reportGroupFailure(const Group &group, const char *message, bool withUsage) {
    if (message != nullptr) printError(message);
    if (withUsage && group.usage != nullptr) group.usage();
    return kExitUsageError;
}

int dispatchGroup(const Group &group, int argc, char **argv) {
    if (argc == 2) return reportGroupFailure(group, group.missingError, group.usageWhenMissing);
    for (size_t i = 0; i < group.optionCount; ++i) {
        const GroupOption &option = group.options[i];
        if (strcmp(option.option, argv[2]) == 0) return call(option.handler, option.shift, argc, argv);
    }
    return reportGroupFailure(group, group.unknownError, group.usageWhenUnknown);
}

}  // namespace

int dispatch(int argc, char **argv) {
    if (argc < 2) {
        help::mainUsage();
        return kExitUsageError;
    }
    const char *word = argv[1];
    if (strcmp(word, "--help") == 0 || strcmp(word, "-h") == 0) {
        help::mainUsage();
        return 0;
    }
    if (strcmp(word, "--version") == 0) {
        fputs(kVersion, stdout);
        return 0;
    }
    for (const Command &command : kCommands) {
        if (!matches(command, word)) continue;
        if (command.group != nullptr) return dispatchGroup(*command.group, argc, argv);
        return call(command.handler, command.shift, argc, argv);
    }
    fprintf(stderr, kUnknownCommand, word);
    help::mainUsage();
    return kExitUsageError;
}

}  // namespace cli
