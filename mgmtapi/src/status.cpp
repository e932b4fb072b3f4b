// Status sentences and POSIX values.  One row per module type and code, so
// the two lookups can never drift apart.
#include <cerrno>
#include <cstdio>

#include "trvns_mgmt.h"

namespace {

struct StatusRow {
    int moduleType;
    int code;
    const char *sentence;
    int posix;
};

constexpr char kSuccess[] = "Success.";
constexpr char kNotPermitted[] = "Operation not permitted.";
constexpr char kNoObject[] = "Object does not exist.";
constexpr char kBuildFailed[] = "Failed to build the information as output.";
constexpr char kAccessDenied[] = "Access is denied for this operation or on the object.";
constexpr char kObjectExists[] = "Object exists.";
constexpr char kNotADirectory[] = "Not a directory or the directory path does not exist.";
constexpr char kUnsupported[] = "Unsupported parameters provided.";
constexpr char kAlreadyTrustee[] = "The user is already a trustee on the object.";
constexpr char kNoConnection[] = "Failed to establish connection with Namespace service!";
constexpr char kNoMountPoint[] = "Provided mount point does not exist.";
constexpr char kIsJunction[] = "Provided input is a TRV Namespace junction.";
constexpr char kTooLong[] = "Given input exceeds the max length allowed.";
constexpr char kInvalidParameters[] = "Contains invalid parameters.";
constexpr char kNoPath[] = "Provided path does not exist.";
constexpr char kInvalidTarget[] = "Invalid target supplied.Unable to retrieve target server details.";
constexpr char kBadPage[] = "Incorrect/out of range value specified for page number or page size.";
constexpr char kNotANamespace[] = "Not a valid Namespace.";
constexpr char kInternalError[] = "Internal error ouccured during this operation.";
constexpr char kInvalidTargetType[] = "Invalid target type provided.";
constexpr char kMultipleRecords[] = "Multiple records found. Specify the host name and/or host type.";
constexpr char kNoVolumeRecord[] = "No record found for the given volume.";
constexpr char kPartialFailure[] = "Operation has failed for one or more namespace.";
constexpr char kTargetExists[] = "Target already exists.";
constexpr char kWrongVolume[] = "Target volume/server provided is incorrect.";
constexpr char kInvalidModuleType[] = "Ivalid module type";

constexpr int kNs = TRVNS_MODULE_NAMESPACE;
constexpr int kVol = TRVNS_MODULE_VOLUME;

constexpr StatusRow kStatusTable[] = {
    {kNs, 0, kSuccess, 0},
    {kNs, 1, kNotPermitted, EIO},
    {kNs, 119, kNotPermitted, EACCES},
    {kNs, 2, kNoObject, EIO},
    {kNs, 116, kNoObject, ENOENT},
    {kNs, -11, kNoObject, EIO},
    {kNs, 5, kBuildFailed, EIO},
    {kNs, 124, kBuildFailed, EIO},
    {kNs, 13, kAccessDenied, EIO},
    {kNs, 120, kAccessDenied, EACCES},
    {kNs, 17, kObjectExists, EIO},
    {kNs, 117, kObjectExists, EEXIST},
    {kNs, 20, kNotADirectory, EINVAL},
    {kNs, 22, kUnsupported, EIO},
    {kNs, 121, kUnsupported, EINVAL},
    {kNs, 60, kAlreadyTrustee, EIO},
    {kNs, 112, kNoConnection, EIO},
    {kNs, -12, kNoConnection, EIO},
    {kNs, 113, kNoMountPoint, ENOENT},
    {kNs, -13, kNoMountPoint, EIO},
    {kNs, 115, kIsJunction, EINVAL},
    {kNs, 118, kTooLong, EINVAL},
    {kNs, 122, kInvalidParameters, EINVAL},
    {kNs, 123, kNoPath, ENOENT},
    {kNs, 125, kInvalidTarget, EINVAL},
    {kNs, -300, kBadPage, EIO},
    {kNs, -301, kBadPage, EIO},
    {kNs, -302, kBadPage, EIO},
    {kNs, -100, kNotANamespace, ENOENT},
    {kNs, -17, kNotANamespace, EIO},
    {kNs, -14, kNotANamespace, EIO},

    // Volume statuses are never mapped to anything but EIO.
    {kVol, 121, kUnsupported, EIO},
    {kVol, 125, kInvalidTarget, EIO},
    {kVol, 126, kInvalidTargetType, EIO},
    {kVol, 128, kMultipleRecords, EIO},
    {kVol, 127, kInternalError, EIO},
    {kVol, -20, kInternalError, EIO},
    {kVol, -41, kInternalError, EIO},
    {kVol, -42, kInternalError, EIO},
    {kVol, 129, kNoVolumeRecord, EIO},
    {kVol, 130, kPartialFailure, EIO},
    {kVol, 131, kTargetExists, EIO},
    {kVol, 132, kWrongVolume, EIO},
    {kVol, -100, kNotANamespace, EIO},
    {kVol, -5, kNotANamespace, EIO},
};

const StatusRow *findStatus(int moduleType, int code) {
    for (const StatusRow &row : kStatusTable) {
        if (row.moduleType == moduleType && row.code == code) return &row;
    }
    return nullptr;
}

bool knownModuleType(int moduleType) { return moduleType == kNs || moduleType == kVol; }

}  // namespace

extern "C" {

TRVNS_EXPORT const char *trvns_mgmt_get_error_message(int moduleType, int code) {
    if (!knownModuleType(moduleType)) return kInvalidModuleType;
    if (const StatusRow *row = findStatus(moduleType, code)) return row->sentence;
    printf("Error code: %d\n", code);
    return kInternalError;
}

TRVNS_EXPORT int trvns_mgmt_get_posix_error_code(int moduleType, int code) {
    if (moduleType != kNs) return EIO;
    const StatusRow *row = findStatus(moduleType, code);
    return row ? row->posix : EIO;
}

}  // extern "C"
