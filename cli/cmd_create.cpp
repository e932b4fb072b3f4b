// create -d (folders) and create -j (junctions).
#include <strings.h>

#include <cstdio>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"
#include "trvns_mgmt.h"

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
constexpr int kParentMissing = 20;
constexpr int kNameTaken = 17;

struct JunctionValue {
    char letter;
    const char *duplicateMessage;
    const char *value;
};

}  // namespace

int CreateFolderHandler(int argc, char **argv) {
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

    int status = connectService();
    if (status != 0) {
        printf(msg::kUnableToConnect, status);
        return status;
    }
    status = TRVNS_MGMT_createDirectory(path, 0);
    if (status == 0) {
        printf(msg::kDirectoryCreated, path);
    } else {
        printf(msg::kDirectoryCreationFailed, statusText(status));
    }
    disconnectService();
    return posixExitStatus(status);
}

int CreateJunctionHandler(int argc, char **argv) {
    resetOptionParser();
    // One row per value option; read back by position below.
    JunctionValue values[] = {
        {'d', msg::kDuplicateDirectory, nullptr},    {'n', msg::kDuplicateName, nullptr},
        {'s', msg::kDuplicateTargetServer, nullptr}, {'v', msg::kDuplicateTargetVolume, nullptr},
        {'t', msg::kDuplicateTargetPath, nullptr},   {'T', msg::kDuplicateTargetType, nullptr},
    };
    int c;
    while ((c = getopt_long(argc, argv, "d:n:s:v:t:T:h", kJunctionOptions, nullptr)) != -1) {
        if (c == 'h') {
            help::createJunctionUsage();
            return 0;
        }
        JunctionValue *row = nullptr;
        for (JunctionValue &v : values) row = v.letter == c ? &v : row;
        if (row == nullptr) return failWithUsage(msg::kUnknownOption, help::createJunctionUsage);
        if (row->value != nullptr) return fail(row->duplicateMessage);
        row->value = optarg;
    }
    const char *directory = values[0].value;
    const char *name = values[1].value;
    const char *server = values[2].value;
    const char *volume = values[3].value;
    const char *targetPath = values[4].value;
    const char *targetType = values[5].value;
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

    int status = connectService();
    if (status != 0) {
        printf(msg::kServerConnectFailed, status);
        return status;
    }
    status = TRVNS_MGMT_createJunction(directory, name, server, volume, targetPath, targetType, 0);
    if (status == 0) {
        printf(msg::kJunctionCreated, name);
    } else if (status == kParentMissing) {
        printf(msg::kJunctionCreationFailed, msg::kJunctionParentMissing);
    } else if (status == kNameTaken) {
        printf(msg::kJunctionCreationFailed, msg::kJunctionNameTaken);
    } else {
        printf(msg::kJunctionCreationFailed, statusText(status));
    }
    disconnectService();
    return posixExitStatus(status);
}

}  // namespace cli
