// delete, rename, move and gettarget: one existing folder or junction.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"
#include "trvns_mgmt.h"

namespace cli {
namespace {

constexpr size_t kMaxDeletePathLength = 4090;
constexpr uint32_t kAnyUser = 0xffffffffu;  // uid -1

constexpr Outcome kDeleteOutcome{nullptr, nullptr, msg::kDeleteFailed, TRVNS_MODULE_NAMESPACE, false};
constexpr Outcome kRenameOutcome{nullptr, nullptr, msg::kRenameFailed, TRVNS_MODULE_NAMESPACE, false};
constexpr Outcome kMoveOutcome{nullptr, nullptr, msg::kMoveFailed, TRVNS_MODULE_NAMESPACE, false};
constexpr Outcome kGetTargetOutcome{nullptr, nullptr, msg::kGetTargetFailed, TRVNS_MODULE_NAMESPACE, false};

void printTargets(const char *path, const trvns_target_list &targets) {
    puts(msg::kJunctionTargetInfo);
    if (targets.targets == nullptr) {
        puts(msg::kNoTargetInformation);
        return;
    }
    for (uint16_t i = 0; i < targets.count; ++i) {
        const trvns_target &t = targets.targets[i];
        printf(msg::kTargetLine, path, msg::kGreen, t.server ? t.server : "", "/", t.volume ? t.volume : "",
               t.path ? t.path : "");
    }
}

const option kPathOptions[] = {
    {"path", required_argument, nullptr, 'p'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

const option kRenameOptions[] = {
    {"oldname", required_argument, nullptr, 'o'},
    {"newname", required_argument, nullptr, 'n'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

const option kMoveOptions[] = {
    {"obj-to-move", required_argument, nullptr, 's'},
    {"dest-folder", required_argument, nullptr, 't'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

}  // namespace

int DeleteHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *path = nullptr;
    int c;
    while ((c = getopt_long(argc, argv, "p:h", kPathOptions, nullptr)) != -1) {
        if (c == 'h') {
            help::deleteUsage();
            return 0;
        }
        if (c != 'p') return failWithUsage(msg::kUnknownOptionPassedIn, help::deleteUsage);
        if (path != nullptr) return fail(msg::kDuplicatePath);
        path = optarg;
    }
    if (path == nullptr) return failWithUsage(msg::kPathRequired, help::deleteUsage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::deleteUsage);
    if (strlen(path) > kMaxDeletePathLength) return fail(msg::kInvalidPathPassedIn);

    if (json::active()) json::data() = {{"path", path}};
    return runCommand(
        context, kDeleteOutcome, [&] { return TRVNS_MGMT_remove(path, 0); }, [&] { printf(msg::kDeleted, path); });
}

int RenameHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *oldPath = nullptr;
    const char *newName = nullptr;
    int c;
    while ((c = getopt_long(argc, argv, ":o:n:h", kRenameOptions, nullptr)) != -1) {
        switch (c) {
        case ':':
            return failWithUsage(msg::kRequiresArgument, help::renameUsage);
        case 'h':
            help::renameUsage();
            return 0;
        case 'o':
            if (oldPath != nullptr) return fail(msg::kDuplicateOldname);
            oldPath = optarg;
            break;
        case 'n':
            if (newName != nullptr) return fail(msg::kDuplicateNewname);
            newName = optarg;
            break;
        default:
            return failWithUsage(msg::kUnsupportedOptionPassed, help::renameUsage);
        }
    }
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::renameUsage);
    if (oldPath == nullptr || newName == nullptr) {
        bool oneGiven = oldPath != nullptr || newName != nullptr;
        return failWithUsage(oneGiven ? msg::kRenameArgumentsRequired : nullptr, help::renameUsage);
    }
    if (!hasVisibleCharacter(oldPath)) return fail(msg::kInvalidSource);
    if (!hasVisibleCharacter(newName)) return fail(msg::kInvalidDestination);

    if (json::active()) json::data() = {{"path", oldPath}, {"new_name", newName}};
    return runCommand(
        context, kRenameOutcome, [&] { return TRVNS_MGMT_rename(oldPath, newName, 0); },
        [&] { printf(msg::kRenamed, oldPath); });
}

int MoveHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *source = nullptr;
    const char *target = nullptr;
    int c;
    while ((c = getopt_long(argc, argv, "s:t:h", kMoveOptions, nullptr)) != -1) {
        switch (c) {
        case 'h':
            help::moveUsage();
            return 0;
        case 's':
            if (source != nullptr) return fail(msg::kDuplicateMoveSource);
            source = optarg;
            break;
        case 't':
            if (target != nullptr) return fail(msg::kDuplicateMoveTarget);
            target = optarg;
            break;
        default:
            return failWithUsage(msg::kUnknownOption, help::moveUsage);
        }
    }
    if (source == nullptr || target == nullptr) return failWithUsage(msg::kMoveOptionsRequired, help::moveUsage);
    if (!hasVisibleCharacter(source)) return fail(msg::kInvalidSource);
    if (!hasVisibleCharacter(target)) return fail(msg::kInvalidTarget);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::moveUsage);

    if (json::active()) json::data() = {{"source", source}, {"target", target}};
    return runCommand(
        context, kMoveOutcome, [&] { return TRVNS_MGMT_move(source, target, 0); },
        [&] { printf(msg::kMoved, source); });
}

int GetTargetHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *path = nullptr;
    int c;
    while ((c = getopt_long(argc, argv, "p:h", kPathOptions, nullptr)) != -1) {
        switch (c) {
        case 'h':
            help::getTargetUsage();
            return 0;
        case 'p':
            if (path != nullptr) return fail(msg::kDuplicatePath);
            path = optarg;
            break;
        case '?':
            if (path == nullptr) return failWithUsage(msg::kGetTargetPathNotProvided, help::getTargetUsage);
            return failWithUsage(msg::kUnknownOption, help::getTargetUsage);
        default:
            return failWithUsage(msg::kUnknownOption, help::getTargetUsage);
        }
    }
    if (path == nullptr) return failWithUsage(msg::kPathRequired, help::getTargetUsage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::getTargetUsage);

    trvns_target_list targets{};
    return runCommand(
        context, kGetTargetOutcome, [&] { return TRVNS_MGMT_getTarget(kAnyUser, path, &targets, 0); },
        [&] {
            if (json::active()) {
                json::Json list = json::Json::array();
                for (uint16_t i = 0; i < targets.count && targets.targets != nullptr; ++i) {
                    const trvns_target &t = targets.targets[i];
                    list.push_back({{"server", json::text(t.server)}, {"volume", json::text(t.volume)},
                                    {"path", json::text(t.path)}, {"type", t.type}, {"status", t.status}});
                }
                json::data() = {{"path", path}, {"targets", std::move(list)}};
            } else {
                printTargets(path, targets);
            }
            TRVNS_MGMT_freeTargetList(&targets);
        });
}

}  // namespace cli
