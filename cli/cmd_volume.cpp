// volume -a / -m / -r: target volumes and shares.  A value option given
// twice keeps its last value; outcome texts are of module type 3.
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"
#include "trvns_mgmt.h"

namespace cli {
namespace {

constexpr char kDefaultType[] = "YAR";
constexpr char kNonYar[] = "NON-YAR";

const char *volumeStatusText(int status) { return trvns_mgmt_get_error_message(TRVNS_MODULE_VOLUME, status); }

// Parses the handler's options into `values` (one slot per option letter of
// `letters`); returns -1 when done, else the exit status.
int parseVolumeOptions(int argc, char **argv, const char *shortOptions, const option *longOptions,
                       const char *letters, const char **values, void (*usage)()) {
    resetOptionParser();
    int c;
    while ((c = getopt_long(argc, argv, shortOptions, longOptions, nullptr)) != -1) {
        if (c == 'h') {
            usage();
            return 0;
        }
        const char *slot = c > 0 && c != '?' ? strchr(letters, c) : nullptr;
        if (slot == nullptr) return failWithUsage(msg::kUnknownOption, usage);
        values[slot - letters] = optarg;
    }
    return -1;
}

// Connects, runs the operation and reports it.
template <typename Operation, typename Success>
int runVolumeAction(Operation operation, const char *failure, Success reportSuccess) {
    int status = connectService();
    if (status != 0) {
        printf(msg::kServerConnectFailed, status);
        return status;
    }
    status = operation();
    if (status != 0) {
        printf(failure, volumeStatusText(status));
    } else {
        reportSuccess();
    }
    disconnectService();
    return status;
}

const option kAddOptions[] = {
    {"add", required_argument, nullptr, 'a'},       {"server", required_argument, nullptr, 's'},
    {"type", required_argument, nullptr, 't'},      {"namespace", required_argument, nullptr, 'n'},
    {"help", no_argument, nullptr, 'h'},            {nullptr, 0, nullptr, 0},
};
const option kModifyOptions[] = {
    {"modify", required_argument, nullptr, 'm'},    {"new-name", required_argument, nullptr, 'n'},
    {"server", required_argument, nullptr, 's'},    {"type", required_argument, nullptr, 't'},
    {"help", no_argument, nullptr, 'h'},            {nullptr, 0, nullptr, 0},
};
const option kRemoveOptions[] = {
    {"remove", required_argument, nullptr, 'r'},    {"server", required_argument, nullptr, 's'},
    {"type", required_argument, nullptr, 't'},      {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

}  // namespace

int VolumeAddHandler(int argc, char **argv) {
    const char *values[4] = {};  // a s t n
    int exitStatus = parseVolumeOptions(argc, argv, "a:s:t:n:h", kAddOptions, "astn", values, help::volumeAddUsage);
    if (exitStatus >= 0) return exitStatus;
    const char *volume = values[0];
    const char *server = values[1];
    const char *type = values[2];
    const char *nameSpace = values[3];
    if (volume == nullptr) return failWithUsage(msg::kVolumeNameRequired, help::volumeAddUsage);
    if (!hasVisibleCharacter(volume)) return fail(msg::kInvalidVolumeNameIsGiven);
    if (type == nullptr) {
        type = kDefaultType;
    } else if (strcasecmp(type, kNonYar) == 0 && server == nullptr) {
        return fail(msg::kNonYarTargetNeedsServer);
    }
    if (server != nullptr && !hasVisibleCharacter(server)) return fail(msg::kInvalidServerName);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::volumeAddUsage);

    trvns_addVolumeEntry_input in{const_cast<char *>(volume), const_cast<char *>(server), const_cast<char *>(type),
                                  const_cast<char *>(nameSpace)};
    return runVolumeAction([&] { return TRVNS_MGMT_addVolumeEntry(&in); }, msg::kAddVolumeFailed,
                           [&] { printf(msg::kVolumeAdded, volume); });
}

int VolumeModifyHandler(int argc, char **argv) {
    const char *values[4] = {};  // m n s t
    int exitStatus =
        parseVolumeOptions(argc, argv, "m:n:s:t:h", kModifyOptions, "mnst", values, help::volumeModifyUsage);
    if (exitStatus >= 0) return exitStatus;
    const char *oldName = values[0];
    const char *newName = values[1];
    if (oldName == nullptr) return failWithUsage(msg::kOldNameRequired, help::volumeModifyUsage);
    if (!hasVisibleCharacter(oldName)) return fail(msg::kInvalidOldName);
    if (newName == nullptr) return failWithUsage(msg::kNewNameRequired, help::volumeModifyUsage);
    if (!hasVisibleCharacter(newName)) return fail(msg::kInvalidNewName);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::volumeModifyUsage);

    trvns_modifyVolumeEntry_input in{const_cast<char *>(oldName), const_cast<char *>(newName),
                                     const_cast<char *>(values[2]), const_cast<char *>(values[3])};
    return runVolumeAction([&] { return TRVNS_MGMT_modifyVolumeEntry(&in); }, msg::kModifyVolumeFailed,
                           [&] { printf(msg::kVolumeModified, oldName, newName); });
}

int VolumeRemoveHandler(int argc, char **argv) {
    const char *values[3] = {};  // r s t
    int exitStatus = parseVolumeOptions(argc, argv, "r:s:t:h", kRemoveOptions, "rst", values, help::volumeRemoveUsage);
    if (exitStatus >= 0) return exitStatus;
    const char *volume = values[0];
    if (volume == nullptr) return failWithUsage(msg::kVolumeRequired, help::volumeRemoveUsage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::volumeRemoveUsage);

    trvns_removeVolumeEntry_input in{const_cast<char *>(volume), const_cast<char *>(values[1]),
                                     const_cast<char *>(values[2])};
    return runVolumeAction([&] { return TRVNS_MGMT_removeVolumeEntry(&in); }, msg::kRemoveVolumeFailed,
                           [&] { printf(msg::kVolumeRemoved, volume); });
}

}  // namespace cli
