// The command table: command words, group options and their handlers.  The
// dispatcher walks it in order; the first match wins.
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "json_output.h"
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
    const char *name;  // the command's stable name in JSON output
    Handler handler;
    Shift shift;
    ExitRule exitRule;
};

struct Group {
    const char *name;
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
    const char *name;  // the command's stable name in JSON output
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
    {"--path", "list-directory", ListDirectoryHandler, kKeepGroupOption, kRaw},
    {"-p", "list-directory", ListDirectoryHandler, kKeepGroupOption, kRaw},
    {"--user", "list-directory", ListDirectoryHandler, kKeepGroupOption, kRaw},
    {"-u", "list-directory", ListDirectoryHandler, kKeepGroupOption, kRaw},
    {"--namespaces", "list-namespaces", ListNamespacesHandler, kKeepGroupOption, kRaw},
    {"-n", "list-namespaces", ListNamespacesHandler, kKeepGroupOption, kRaw},
    {"--help", "list-help", listGroupHelp, kKeepGroupOption, kRaw},
    {"-h", "list-help", listGroupHelp, kKeepGroupOption, kRaw},
};
const GroupOption kCreateOptions[] = {
    {"--directory", "create-directory", CreateFolderHandler, kKeepGroupOption, kPosix},
    {"-d", "create-directory", CreateFolderHandler, kKeepGroupOption, kPosix},
    {"--junction", "create-junction", CreateJunctionHandler, kConsumeGroupOption, kPosix},
    {"-j", "create-junction", CreateJunctionHandler, kConsumeGroupOption, kPosix},
    {"--namespace", "create-namespace", CreateNamespaceHandler, kKeepGroupOption, kRaw},
    {"-n", "create-namespace", CreateNamespaceHandler, kKeepGroupOption, kRaw},
    {"--help", "create-help", createGroupHelp, kKeepGroupOption, kRaw},
    {"-h", "create-help", createGroupHelp, kKeepGroupOption, kRaw},
};
const GroupOption kTrusteeOptions[] = {
    {"--grant", "trustee-grant", TrusteeGrantHandler, kConsumeGroupOption, kPosix},
    {"-g", "trustee-grant", TrusteeGrantHandler, kConsumeGroupOption, kPosix},
    {"--revoke", "trustee-revoke", TrusteeRevokeHandler, kConsumeGroupOption, kPosix},
    {"-r", "trustee-revoke", TrusteeRevokeHandler, kConsumeGroupOption, kPosix},
    {"--help", "trustee-help", trusteeGroupHelp, kKeepGroupOption, kRaw},
    {"-h", "trustee-help", trusteeGroupHelp, kKeepGroupOption, kRaw},
};
const GroupOption kPurgeOptions[] = {
    {"--namespace", "purge-namespace", PurgeNamespaceHandler, kKeepGroupOption, kRaw},
    {"-n", "purge-namespace", PurgeNamespaceHandler, kKeepGroupOption, kRaw},
};
const GroupOption kVolumeOptions[] = {
    {"--add", "volume-add", VolumeAddHandler, kKeepGroupOption, kRaw},
    {"-a", "volume-add", VolumeAddHandler, kKeepGroupOption, kRaw},
    {"--modify", "volume-modify", VolumeModifyHandler, kKeepGroupOption, kRaw},
    {"-m", "volume-modify", VolumeModifyHandler, kKeepGroupOption, kRaw},
    {"--remove", "volume-remove", VolumeRemoveHandler, kKeepGroupOption, kRaw},
    {"-r", "volume-remove", VolumeRemoveHandler, kKeepGroupOption, kRaw},
};

#define QTRVNS_OPTIONS(table) table, sizeof table / sizeof table[0]
const Group kListGroup{"list", QTRVNS_OPTIONS(kListOptions), help::listGroupUsage, kInsufficientOptions, true, nullptr, true};
const Group kCreateGroup{"create", QTRVNS_OPTIONS(kCreateOptions), help::createGroupUsage, kInsufficientOptions, true,
                         kInvalidOption, true};
const Group kTrusteeGroup{"trustee", QTRVNS_OPTIONS(kTrusteeOptions), help::trusteeGroupUsage, kInsufficientOptions, true,
                          kUnsupportedOption, true};
const Group kPurgeGroup{"purge", QTRVNS_OPTIONS(kPurgeOptions), help::purgeGroupUsage, nullptr, true, nullptr, true};
const Group kVolumeGroup{"volume", QTRVNS_OPTIONS(kVolumeOptions), nullptr, kInsufficientOptions, false, kUnsupportedOption,
                         false};

const Command kCommands[] = {
    {"objstat", "object-stat", false, ObjStatHandler, kKeepGroupOption, kRaw, nullptr},
    {"list", "list", false, nullptr, kKeepGroupOption, kRaw, &kListGroup},
    {"listJunctions", "list-junctions-page", true, ListAllJunctionsHandler, kKeepGroupOption, kRaw, nullptr},
    {"lj", "list-junctions-page", true, ListAllJunctionsHandler, kKeepGroupOption, kRaw, nullptr},
    {"create", "create", false, nullptr, kKeepGroupOption, kRaw, &kCreateGroup},
    {"trustee", "trustee", false, nullptr, kKeepGroupOption, kRaw, &kTrusteeGroup},
    {"purge", "purge", false, nullptr, kKeepGroupOption, kRaw, &kPurgeGroup},
    {"delete", "delete", false, DeleteHandler, kKeepGroupOption, kPosix, nullptr},
    {"rename", "rename", false, RenameHandler, kKeepGroupOption, kPosix, nullptr},
    {"move", "move", false, MoveHandler, kKeepGroupOption, kRaw, nullptr},
    {"trustee-grant", "trustee-grant", false, TrusteeGrantHandler, kKeepGroupOption, kPosix, nullptr},
    {"trustee-revoke", "trustee-revoke", false, TrusteeRevokeHandler, kKeepGroupOption, kPosix, nullptr},
    {"trustee-list", "trustee-list", false, TrusteeListHandler, kKeepGroupOption, kRaw, nullptr},
    {"gettarget", "get-target", false, GetTargetHandler, kKeepGroupOption, kRaw, nullptr},
    {"list-junctions", "list-junctions", false, ListJunctionsHandler, kKeepGroupOption, kRaw, nullptr},
    {"list-namespaces", "list-namespaces", false, ListNamespacesHandler, kKeepGroupOption, kRaw, nullptr},
    {"get-cifs-attr", "get-cifs-attr", false, GetCifsAttrHandler, kKeepGroupOption, kRaw, nullptr},
    {"set-cifs-attr", "set-cifs-attr", false, SetCifsAttrHandler, kKeepGroupOption, kRaw, nullptr},
    {"createnamespace", "create-namespace", false, CreateNamespaceHandler, kKeepGroupOption, kRaw, nullptr},
    {"deletenamespace", "delete-namespace", false, DeleteNamespaceHandler, kKeepGroupOption, kRaw, nullptr},
    {"purgenamespace", "purge-namespace", false, PurgeNamespaceHandler, kKeepGroupOption, kRaw, nullptr},
    {"salvagenamespace", "salvage-namespace", false, SalvageNamespaceHandler, kKeepGroupOption, kRaw, nullptr},
    {"volume", "volume", false, nullptr, kKeepGroupOption, kRaw, &kVolumeGroup},
    {"export", "export", false, ExportHandler, kKeepGroupOption, kRaw, nullptr},
    {"--batch", "batch", false, BatchHandler, kKeepGroupOption, kRaw, nullptr},
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
    json::setCommand(group.name);
    if (argc == 2) return reportGroupFailure(group, group.missingError, group.usageWhenMissing);
    for (size_t i = 0; i < group.optionCount; ++i) {
        const GroupOption &option = group.options[i];
        if (strcmp(option.option, argv[2]) == 0) {
            json::setCommand(option.name);
            return call(option.handler, option.shift, option.exitRule, argc, argv, context);
        }
    }
    return reportGroupFailure(group, group.unknownError, group.usageWhenUnknown);
}

int dispatchWord(int argc, char **argv, const Context &context, bool inBatch) {
    if (argc < 2) {
        json::setMessage("Error: No command given.");
        help::mainUsage();
        return kExitUsageError;
    }
    const char *word = argv[1];
    if (strcmp(word, "--help") == 0 || strcmp(word, "-h") == 0) {
        help::mainUsage();
        return 0;
    }
    if (strcmp(word, "--version") == 0) {
        json::setCommand("version");
        fputs(kVersion, stdout);
        return 0;
    }
    for (const Command &command : kCommands) {
        if (!matches(command, word)) continue;
        json::setCommand(command.name);
        if (inBatch && command.handler == BatchHandler) return fail(msg::kNestedBatch);
        if (command.group != nullptr) return dispatchGroup(*command.group, argc, argv, context);
        return call(command.handler, command.shift, command.exitRule, argc, argv, context);
    }
    json::setCommand("unknown-command");
    fprintf(stderr, kUnknownCommand, word);
    help::mainUsage();
    return kExitUsageError;
}

// A batch writes one document per command itself.
bool runsBatch(int argc, char **argv, bool inBatch) {
    return !inBatch && argc >= 2 && strcmp(argv[1], "--batch") == 0;
}

int dispatchCommand(int argc, char **argv, const Context &context, bool inBatch) {
    if (runsBatch(argc, argv, inBatch)) return dispatchWord(argc, argv, context, inBatch);
    json::CommandScope scope("help");
    return scope.finish(dispatchWord(argc, argv, context, inBatch));
}

}  // namespace

int dispatch(int argc, char **argv) {
    json::setFormat(json::Format::kText);  // each run chooses afresh
    int taken = json::takeOutputOption(argc, argv);
    if (taken < 0) return kExitUsageError;
    if (taken > 0) {
        argv[taken] = argv[0];
        argc -= taken;
        argv += taken;
    }
    Session session(false);
    return dispatchCommand(argc, argv, Context{ExitRule::kRaw, session, Confirmation::kStandardInput}, false);
}

int dispatchInBatch(int argc, char **argv, const Context &context) {
    return dispatchCommand(argc, argv, context, true);
}

}  // namespace cli
