// Trustee commands: grant, revoke (as "trustee -g/-r" and
// "trustee-grant/-revoke") and trustee-list.
#include <cstdio>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"
#include "trvns_mgmt.h"
#include "user_name.h"

namespace cli {
namespace {

const option kGrantRevokeOptions[] = {
    {"path", required_argument, nullptr, 'p'},
    {"trustee", required_argument, nullptr, 't'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

// What tells grant and revoke apart.
struct TrusteeCommand {
    const char *shortOptions;
    void (*usage)();
    int (*operation)(const char *path, trvns_trustee *trustee, uint32_t options);
    const char *success;
    Outcome outcome;
};

const TrusteeCommand kGrant{"p:t:h", help::grantUsage, TRVNS_MGMT_trusteeGrant, msg::kGranted,
                            {nullptr, nullptr, msg::kGrantFailed, TRVNS_MODULE_NAMESPACE, false}};
// "-D" is accepted by the parser and then refused as unknown.
const TrusteeCommand kRevoke{"p:t:Dh", help::revokeUsage, TRVNS_MGMT_trusteeRevoke, msg::kRevoked,
                             {nullptr, nullptr, msg::kRevokeFailed, TRVNS_MODULE_NAMESPACE, false}};
constexpr Outcome kListOutcome{msg::kServerConnectFailed, msg::kTrusteeListingFailed, nullptr,
                               TRVNS_MODULE_NAMESPACE, true};

int runTrusteeCommand(const TrusteeCommand &command, int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *path = nullptr;
    const char *name = nullptr;
    int c;
    while ((c = getopt_long(argc, argv, command.shortOptions, kGrantRevokeOptions, nullptr)) != -1) {
        switch (c) {
        case 'h':
            command.usage();
            return 0;
        case 'p':
            if (path != nullptr) return fail(msg::kDuplicatePath);
            path = optarg;
            break;
        case 't':
            if (name != nullptr) return fail(msg::kDuplicateTrustee);
            name = optarg;
            break;
        case '?':
            if (path == nullptr) printError(msg::kTrusteePathNotProvided);
            if (name == nullptr) printError(msg::kTrusteeNameNotProvided);
            return failWithUsage(nullptr, command.usage);
        default:
            return failWithUsage(msg::kUnknownOption, command.usage);
        }
    }
    if (path == nullptr || name == nullptr) return failWithUsage(msg::kPathAndTrusteeRequired, command.usage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, command.usage);
    HeapString canonical(processUserName(name));
    if (!canonical) {
        puts(msg::kFailedToProcessTrustee);
        return kExitUsageError;
    }

    trvns_trustee trustee{canonical.get(), nullptr, 0, 0};
    if (json::active()) json::data() = {{"path", path}, {"trustee", canonical.get()}, {"name_given", name}};
    return runCommand(
        context, command.outcome, [&] { return command.operation(path, &trustee, 0); },
        [&] { printf(command.success, canonical.get(), path); });
}

}  // namespace

int TrusteeGrantHandler(int argc, char **argv, const Context &context) {
    return runTrusteeCommand(kGrant, argc, argv, context);
}

int TrusteeRevokeHandler(int argc, char **argv, const Context &context) {
    return runTrusteeCommand(kRevoke, argc, argv, context);
}

int TrusteeListHandler(int argc, char **argv, const Context &context) {
    PathAndFormat parsed;
    int exitStatus = parsePathAndFormat(argc, argv, parsed, help::trusteeListUsage);
    if (exitStatus >= 0) return exitStatus;
    const char *path = parsed.path;
    puts(msg::kTrusteeListCalled);
    printf(msg::kPathLine, path);
    printf(msg::kOutputFormat, parsed.format.name());

    trvns_trustee_list list{};
    return runCommand(
        context, kListOutcome,
        [&] {
            printf(msg::kTrusteeListingAt, path);
            return TRVNS_MGMT_trusteeList(path, &list, 0);  // frees the list itself on failure
        },
        [&] {
            if (json::active()) {
                json::Json trustees = json::Json::array();
                for (uint64_t i = 0; i < list.count && list.trustees != nullptr; ++i) {
                    const trvns_trustee &t = list.trustees[i];
                    trustees.push_back({{"name", json::text(t.name)}, {"guid", json::text(t.guid)},
                                        {"type", t.type}, {"rights", t.rights}});
                }
                json::data() = {{"path", path}, {"count", list.count}, {"trustees", std::move(trustees)}};
            } else {
                printTrusteeList(&list);
            }
            TRVNS_MGMT_freeTrusteeList(&list);
        });
}

}  // namespace cli
