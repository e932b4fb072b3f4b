// The command table: command words, group options and their handlers.  The
// dispatcher walks it in order; the first match wins.
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"

namespace cli {
namespace {

// How much of the program's vector a handler gets: after a shift of 1
// element 0 is the command word; after 2 it is the group option.
enum Shift { kKeepGroupOption = 1, kConsumeGroupOption = 2 };

constexpr ExitRule kRaw = ExitRule::kRaw;
constexpr ExitRule kPosix = ExitRule::kPosix;

struct GroupOption {
    const char *option;
    Handler handler;
    Shift shift;
    ExitRule exitRule;
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
    ExitRule exitRule;
    const Group *group;  // group command
};

constexpr char kInsufficientOptions[] = "Error: Insufficient number of options.\n";
constexpr char kInvalidOption[] = "Error: Invalid option passed in.\n";
constexpr char kUnsupportedOption[] = "Error: Unsupported option for this command.\n";
constexpr char kUnknownCommand[] = "Error: Unknown command '%s'.\n";
constexpr char kVersion[] = "qtrvns-mgmt " QTRVNS_VERSION "\n";

int listGroupHelp(int, char **, const Context &) {
    help::listGroupUsage();
    return 0;
}
int createGroupHelp(int, char **, const Context &) {
    help::createGroupUsage();
    return 0;
}
int trusteeGroupHelp(int, char **, const Context &) {
    help::trusteeGroupUsage();
    return 0;
}

const GroupOption kListOptions[] = {
    {"--path", ListDirectoryHandler, kKeepGroupOption, kRaw},
    {"-p", ListDirectoryHandler, kKeepGroupOption, kRaw},
    {"--user", ListDirectoryHandler, kKeepGroupOption, kRaw},
    {"-u", ListDirectoryHandler, kKeepGroupOption, kRaw},
    {"--namespaces", ListNamespacesHandler, kKeepGroupOption, kRaw},
    {"-n", ListNamespacesHandler, kKeepGroupOption, kRaw},
    {"--help", listGroupHelp, kKeepGroupOption, kRaw},
    {"-h", listGroupHelp, kKeepGroupOption, kRaw},
};
const GroupOption kCreateOptions[] = {
    {"--directory", CreateFolderHandler, kKeepGroupOption, kPosix},
    {"-d", CreateFolderHandler, kKeepGroupOption, kPosix},
    {"--junction", CreateJunctionHandler, kConsumeGroupOption, kPosix},
    {"-j", CreateJunctionHandler, kConsumeGroupOption, kPosix},
    {"--namespace", CreateNamespaceHandler, kKeepGroupOption, kRaw},
    {"-n", CreateNamespaceHandler, kKeepGroupOption, kRaw},
    {"--help", createGroupHelp, kKeepGroupOption, kRaw},
    {"-h", createGroupHelp, kKeepGroupOption, kRaw},
};
const GroupOption kTrusteeOptions[] = {
    {"--grant", TrusteeGrantHandler, kConsumeGroupOption, kPosix},
    {"-g", TrusteeGrantHandler, kConsumeGroupOption, kPosix},
    {"--revoke", TrusteeRevokeHandler, kConsumeGroupOption, kPosix},
    {"-r", TrusteeRevokeHandler, kConsumeGroupOption, kPosix},
    {"--help", trusteeGroupHelp, kKeepGroupOption, kRaw},
    {"-h", trusteeGroupHelp, kKeepGroupOption, kRaw},
};
const GroupOption kPurgeOptions[] = {
    {"--namespace", PurgeNamespaceHandler, kKeepGroupOption, kRaw},
    {"-n", PurgeNamespaceHandler, kKeepGroupOption, kRaw},
};
const GroupOption kVolumeOptions[] = {
    {"--add", VolumeAddHandler, kKeepGroupOption, kRaw},
    {"-a", VolumeAddHandler, kKeepGroupOption, kRaw},
    {"--modify", VolumeModifyHandler, kKeepGroupOption, kRaw},
    {"-m", VolumeModifyHandler, kKeepGroupOption, kRaw},
    {"--remove", VolumeRemoveHandler, kKeepGroupOption, kRaw},
    {"-r", VolumeRemoveHandler, kKeepGroupOption, kRaw},
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
    {"objstat", false, ObjStatHandler, kKeepGroupOption, kRaw, nullptr},
    {"list", false, nullptr, kKeepGroupOption, kRaw, &kListGroup},
    {"listJunctions", true, ListAllJunctionsHandler, kKeepGroupOption, kRaw, nullptr},
    {"lj", true, ListAllJunctionsHandler, kKeepGroupOption, kRaw, nullptr},
    {"create", false, nullptr, kKeepGroupOption, kRaw, &kCreateGroup},
    {"trustee", false, nullptr, kKeepGroupOption, kRaw, &kTrusteeGroup},
    {"purge", false, nullptr, kKeepGroupOption, kRaw, &kPurgeGroup},
    {"delete", false, DeleteHandler, kKeepGroupOption, kPosix, nullptr},
    {"rename", false, RenameHandler, kKeepGroupOption, kPosix, nullptr},
    {"move", false, MoveHandler, kKeepGroupOption, kRaw, nullptr},
    {"trustee-grant", false, TrusteeGrantHandler, kKeepGroupOption, kPosix, nullptr},
    {"trustee-revoke", false, TrusteeRevokeHandler, kKeepGroupOption, kPosix, nullptr},
    {"trustee-list", false, TrusteeListHandler, kKeepGroupOption, kRaw, nullptr},
    {"gettarget", false, GetTargetHandler, kKeepGroupOption, kRaw, nullptr},
    {"list-junctions", false, ListJunctionsHandler, kKeepGroupOption, kRaw, nullptr},
    {"list-namespaces", false, ListNamespacesHandler, kKeepGroupOption, kRaw, nullptr},
    {"get-cifs-attr", false, GetCifsAttrHandler, kKeepGroupOption, kRaw, nullptr},
    {"set-cifs-attr", false, SetCifsAttrHandler, kKeepGroupOption, kRaw, nullptr},
    {"createnamespace", false, CreateNamespaceHandler, kKeepGroupOption, kRaw, nullptr},
    {"deletenamespace", false, DeleteNamespaceHandler, kKeepGroupOption, kRaw, nullptr},
    {"purgenamespace", false, PurgeNamespaceHandler, kKeepGroupOption, kRaw, nullptr},
    {"salvagenamespace", false, SalvageNamespaceHandler, kKeepGroupOption, kRaw, nullptr},
    {"volume", false, nullptr, kKeepGroupOption, kRaw, &kVolumeGroup},
    {"export", false, ExportHandler, kKeepGroupOption, kRaw, nullptr},
    {"--batch", false, BatchHandler, kKeepGroupOption, kRaw, nullptr},
};

bool matches(const Command &command, const char *word) {
    return command.ignoreCase ? strcasecmp(command.word, word) == 0 : strcmp(command.word, word) == 0;
}

int call(Handler handler, Shift shift, ExitRule exitRule, int argc, char **argv, const Context &context) {
    Context own{exitRule, context.session, context.confirmation};
    return handler(argc - shift, argv + shift, own);
}

int reportGroupFailure(const Group &group, const char *message, bool withUsage) {
    if (message != nullptr) printError(message);
    if (withUsage && group.usage != nullptr) group.usage();
    return kExitUsageError;
}

int dispatchGroup(const Group &group, int argc, char **argv, const Context &context) {
    if (argc == 2) return reportGroupFailure(group, group.missingError, group.usageWhenMissing);
    for (size_t i = 0; i < group.optionCount; ++i) {
        const GroupOption &option = group.options[i];
        if (strcmp(option.option, argv[2]) == 0) {
            return call(option.handler, option.shift, option.exitRule, argc, argv, context);
        }
    }
    return reportGroupFailure(group, group.unknownError, group.usageWhenUnknown);
}

int dispatchCommand(int argc, char **argv, const Context &context, bool inBatch) {
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
        if (inBatch && command.handler == BatchHandler) return fail(msg::kNestedBatch);
        if (command.group != nullptr) return dispatchGroup(*command.group, argc, argv, context);
        return call(command.handler, command.shift, command.exitRule, argc, argv, context);
    }
    fprintf(stderr, kUnknownCommand, word);
    help::mainUsage();
    return kExitUsageError;
}

}  // namespace

int dispatch(int argc, char **argv) {
    Session session(false);
    return dispatchCommand(argc, argv, Context{ExitRule::kRaw, session, Confirmation::kStandardInput}, false);
}

int dispatchInBatch(int argc, char **argv, const Context &context) {
    return dispatchCommand(argc, argv, context, true);
}

}  // namespace cli
