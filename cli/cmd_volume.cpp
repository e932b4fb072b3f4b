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

// Parses the handler's options into their rows (a repeated option keeps its
// last value); returns -1 when done, else the exit status.
template <size_t N>
int parseVolumeOptions(int argc, char **argv, const char *shortOptions, const option *longOptions,
                       const ValueOption (&values)[N], void (*usage)()) {
    resetOptionParser();
    int c;
    while ((c = getopt_long(argc, argv, shortOptions, longOptions, nullptr)) != -1) {
        if (c == 'h') {
            usage();
            return 0;
        }
        if (takeValue(values, c, optarg) == kNotAValueOption) return failWithUsage(msg::kUnknownOption, usage);
    }
    return -1;
}

constexpr Outcome volumeOutcome(const char *failure) {
    return Outcome{msg::kServerConnectFailed, nullptr, failure, TRVNS_MODULE_VOLUME, false};
}
constexpr Outcome kAddOutcome = volumeOutcome(msg::kAddVolumeFailed);
constexpr Outcome kModifyOutcome = volumeOutcome(msg::kModifyVolumeFailed);
constexpr Outcome kRemoveOutcome = volumeOutcome(msg::kRemoveVolumeFailed);

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

int VolumeAddHandler(int argc, char **argv, const Context &context) {
    const char *volume = nullptr;
    const char *server = nullptr;
    const char *type = nullptr;
    const char *nameSpace = nullptr;
    const ValueOption values[] = {
        {'a', &volume, nullptr}, {'s', &server, nullptr}, {'t', &type, nullptr}, {'n', &nameSpace, nullptr}};
    int exitStatus = parseVolumeOptions(argc, argv, "a:s:t:n:h", kAddOptions, values, help::volumeAddUsage);
    if (exitStatus >= 0) return exitStatus;
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
    if (json::active()) {
        json::data() = {{"volume", volume}, {"server", json::text(in.serverName)}, {"type", json::text(in.targetType)},
                        {"namespace", json::text(in.nameSpace)}};
    }
    return runCommand(
        context, kAddOutcome, [&] { return TRVNS_MGMT_addVolumeEntry(&in); },
        [&] { printf(msg::kVolumeAdded, volume); });
}

int VolumeModifyHandler(int argc, char **argv, const Context &context) {
    const char *oldName = nullptr;
    const char *newName = nullptr;
    const char *server = nullptr;
    const char *type = nullptr;
    const ValueOption values[] = {
        {'m', &oldName, nullptr}, {'n', &newName, nullptr}, {'s', &server, nullptr}, {'t', &type, nullptr}};
    int exitStatus = parseVolumeOptions(argc, argv, "m:n:s:t:h", kModifyOptions, values, help::volumeModifyUsage);
    if (exitStatus >= 0) return exitStatus;
    if (oldName == nullptr) return failWithUsage(msg::kOldNameRequired, help::volumeModifyUsage);
    if (!hasVisibleCharacter(oldName)) return fail(msg::kInvalidOldName);
    if (newName == nullptr) return failWithUsage(msg::kNewNameRequired, help::volumeModifyUsage);
    if (!hasVisibleCharacter(newName)) return fail(msg::kInvalidNewName);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::volumeModifyUsage);

    trvns_modifyVolumeEntry_input in{const_cast<char *>(oldName), const_cast<char *>(newName),
                                     const_cast<char *>(server), const_cast<char *>(type)};
    if (json::active()) {
        json::data() = {{"old_name", oldName}, {"new_name", newName}, {"server", json::text(in.serverName)},
                        {"type", json::text(in.targetType)}};
    }
    return runCommand(
        context, kModifyOutcome, [&] { return TRVNS_MGMT_modifyVolumeEntry(&in); },
        [&] { printf(msg::kVolumeModified, oldName, newName); });
}

int VolumeRemoveHandler(int argc, char **argv, const Context &context) {
    const char *volume = nullptr;
    const char *server = nullptr;
    const char *type = nullptr;
    const ValueOption values[] = {{'r', &volume, nullptr}, {'s', &server, nullptr}, {'t', &type, nullptr}};
    int exitStatus = parseVolumeOptions(argc, argv, "r:s:t:h", kRemoveOptions, values, help::volumeRemoveUsage);
    if (exitStatus >= 0) return exitStatus;
    if (volume == nullptr) return failWithUsage(msg::kVolumeRequired, help::volumeRemoveUsage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::volumeRemoveUsage);

    trvns_removeVolumeEntry_input in{const_cast<char *>(volume), const_cast<char *>(server),
                                     const_cast<char *>(type)};
    if (json::active()) {
        json::data() = {{"volume", volume}, {"server", json::text(in.serverName)}, {"type", json::text(in.targetType)}};
    }
    return runCommand(
        context, kRemoveOutcome, [&] { return TRVNS_MGMT_removeVolumeEntry(&in); },
        [&] { printf(msg::kVolumeRemoved, volume); });
}

}  // namespace cli
