// create -d (folders) and create -j (junctions).
#include <strings.h>

#include <cstdio>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"
#include "trvns_mgmt.h"
#include "trvns_status_codes.h"

namespace cli {
namespace {

const option kFolderOptions[] = {
    {"directory", required_argument, nullptr, 'd'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

// No long "help" here: "--help" is an unknown option for create -j.
const option kJunctionOptions[] = {
    {"directory", required_argument, nullptr, 'd'},     {"name", required_argument, nullptr, 'n'},
    {"target-server", required_argument, nullptr, 's'}, {"target-volume", required_argument, nullptr, 'v'},
    {"target-path", required_argument, nullptr, 't'},   {"target-type", required_argument, nullptr, 'T'},
    {nullptr, 0, nullptr, 0},
};

constexpr char kDefaultTargetPath[] = "/";
constexpr char kDefaultTargetType[] = "YAR";
constexpr char kNonYar[] = "NON-YAR";
constexpr Outcome kFolderOutcome{msg::kUnableToConnect, nullptr, msg::kDirectoryCreationFailed,
                                 TRVNS_MODULE_NAMESPACE, false};
constexpr SpecialText kJunctionTexts[] = {
    {trvns::status::kNotADirectory, msg::kJunctionParentMissing},
    {trvns::status::kExists, msg::kJunctionNameTaken},
    {0, nullptr},
};
constexpr Outcome kJunctionOutcome{msg::kServerConnectFailed, nullptr, msg::kJunctionCreationFailed,
                                   TRVNS_MODULE_NAMESPACE, false, kJunctionTexts};

}  // namespace

int CreateFolderHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *path = nullptr;
    int c;
    while ((c = getopt_long(argc, argv, "d:h", kFolderOptions, nullptr)) != -1) {
        switch (c) {
        case 'h':
            help::createDirectoryUsage();
            return 0;
        case 'd':
            if (path != nullptr) return fail(msg::kDuplicateDirectory);
            path = optarg;
            break;
        case '?':
            return failWithUsage(msg::kDirectoryNotProvided, help::createDirectoryUsage);
        default:
            return failWithUsage(msg::kUnknownOption, help::createDirectoryUsage);
        }
    }
    if (path == nullptr) return failWithUsage(msg::kDirectoryRequired, help::createDirectoryUsage);
    if (!hasVisibleCharacter(path)) return fail(msg::kInvalidDirectoryName);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::createDirectoryUsage);

    if (json::active()) json::data() = {{"path", path}};
    return runCommand(
        context, kFolderOutcome, [&] { return TRVNS_MGMT_createDirectory(path, 0); },
        [&] { printf(msg::kDirectoryCreated, path); });
}

int CreateJunctionHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *directory = nullptr;
    const char *name = nullptr;
    const char *server = nullptr;
    const char *volume = nullptr;
    const char *targetPath = nullptr;
    const char *targetType = nullptr;
    const ValueOption values[] = {
        {'d', &directory, msg::kDuplicateDirectory},    {'n', &name, msg::kDuplicateName},
        {'s', &server, msg::kDuplicateTargetServer},    {'v', &volume, msg::kDuplicateTargetVolume},
        {'t', &targetPath, msg::kDuplicateTargetPath},  {'T', &targetType, msg::kDuplicateTargetType},
    };
    int c;
    while ((c = getopt_long(argc, argv, "d:n:s:v:t:T:h", kJunctionOptions, nullptr)) != -1) {
        if (c == 'h') {
            help::createJunctionUsage();
            return 0;
        }
        int taken = takeValue(values, c, optarg);
        if (taken == kNotAValueOption) return failWithUsage(msg::kUnknownOption, help::createJunctionUsage);
        if (taken >= 0) return taken;
    }
    if (directory == nullptr || name == nullptr || volume == nullptr) {
        return failWithUsage(msg::kAllMandatory, help::createJunctionUsage);
    }
    if (!hasVisibleCharacter(name)) return fail(msg::kInvalidJunctionName);
    if (!hasVisibleCharacter(volume)) return fail(msg::kInvalidVolumeName);
    if (targetPath != nullptr && targetPath[0] != '/') return fail(msg::kTargetPathSlash);
    if (targetPath == nullptr) targetPath = kDefaultTargetPath;
    if (targetType == nullptr) targetType = kDefaultTargetType;
    if (server != nullptr) {
        if (!hasVisibleCharacter(server)) return fail(msg::kInvalidTargetServer);
    } else {
        server = "";
        if (strcasecmp(targetType, kNonYar) == 0) return fail(msg::kNonYarNeedsServer);
    }
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::createJunctionUsage);

    if (json::active()) {
        json::data() = {{"folder", directory}, {"name", name},       {"server", server},
                        {"volume", volume},    {"path", targetPath}, {"type", targetType}};
    }
    return runCommand(
        context, kJunctionOutcome,
        [&] { return TRVNS_MGMT_createJunction(directory, name, server, volume, targetPath, targetType, 0); },
        [&] { printf(msg::kJunctionCreated, name); });
}

}  // namespace cli
