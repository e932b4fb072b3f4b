// Status sentences and POSIX values.  One row per module type and code, so
// the two lookups can never drift apart.
#include <cerrno>
#include <cstdio>

#include "trvns_mgmt.h"
#include "trvns_status_codes.h"

namespace {

namespace S = trvns::status;

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
    {kNs, S::kOk, kSuccess, 0},
    {kNs, S::kNotPermittedOld, kNotPermitted, EIO},
    {kNs, S::kNotPermitted, kNotPermitted, EACCES},
    {kNs, S::kNoObjectOld, kNoObject, EIO},
    {kNs, S::kNoSuchObject, kNoObject, ENOENT},
    {kNs, S::kBadPath, kNoObject, EIO},
    {kNs, S::kInternalFailure, kBuildFailed, EIO},
    {kNs, S::kBuildFailed, kBuildFailed, EIO},
    {kNs, S::kAccessDeniedOld, kAccessDenied, EIO},
    {kNs, S::kAccessDenied, kAccessDenied, EACCES},
    {kNs, S::kExists, kObjectExists, EIO},
    {kNs, S::kNameTaken, kObjectExists, EEXIST},
    {kNs, S::kNotADirectory, kNotADirectory, EINVAL},
    {kNs, S::kInvalidInput, kUnsupported, EIO},
    {kNs, S::kUnsupported, kUnsupported, EINVAL},
    {kNs, S::kAlreadyTrustee, kAlreadyTrustee, EIO},
    {kNs, S::kNotConnected, kNoConnection, EIO},
    {kNs, S::kNoPlugin, kNoConnection, EIO},
    {kNs, S::kNoMountPoint, kNoMountPoint, ENOENT},
    {kNs, S::kNoMountPointOld, kNoMountPoint, EIO},
    {kNs, S::kIsJunction, kIsJunction, EINVAL},
    {kNs, S::kTooLong, kTooLong, EINVAL},
    {kNs, S::kInvalid, kInvalidParameters, EINVAL},
    {kNs, S::kNoSuchPath, kNoPath, ENOENT},
    {kNs, S::kInvalidTarget, kInvalidTarget, EINVAL},
    {kNs, S::kBadPageValue, kBadPage, EIO},
    {kNs, S::kBadPageNumber, kBadPage, EIO},
    {kNs, S::kBadPageSize, kBadPage, EIO},
    {kNs, S::kNotANamespace, kNotANamespace, ENOENT},
    {kNs, S::kNotANamespaceOld2, kNotANamespace, EIO},
    {kNs, S::kNotANamespaceOld, kNotANamespace, EIO},

    // Volume statuses are never mapped to anything but EIO.
    {kVol, S::kUnsupported, kUnsupported, EIO},
    {kVol, S::kInvalidTarget, kInvalidTarget, EIO},
    {kVol, S::kInvalidTargetType, kInvalidTargetType, EIO},
    {kVol, S::kMultipleRecords, kMultipleRecords, EIO},
    {kVol, S::kInternalError, kInternalError, EIO},
    {kVol, S::kVolumeInternal1, kInternalError, EIO},
    {kVol, S::kVolumeInternal2, kInternalError, EIO},
    {kVol, S::kVolumeInternal3, kInternalError, EIO},
    {kVol, S::kNoVolumeRecord, kNoVolumeRecord, EIO},
    {kVol, S::kPartialFailure, kPartialFailure, EIO},
    {kVol, S::kTargetExists, kTargetExists, EIO},
    {kVol, S::kWrongTarget, kWrongVolume, EIO},
    {kVol, S::kNotANamespace, kNotANamespace, EIO},
    {kVol, S::kVolumeNotANamespace, kNotANamespace, EIO},
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
