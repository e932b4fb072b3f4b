// Status codes the namespace server answers with (the numbering the
// management library turns into sentences), taken from the shared list.
#ifndef TRVNS_SERVER_STATUS_CODES_H
#define TRVNS_SERVER_STATUS_CODES_H

#include "trvns_status_codes.h"

namespace nsserver {

constexpr int kOk = trvns::status::kOk;
constexpr int kNotPermitted = trvns::status::kNotPermittedOld;  // e.g. removing a folder that is not empty
constexpr int kNotADirectory = trvns::status::kNotADirectory;   // parent missing or not a folder
constexpr int kExists = trvns::status::kExists;                 // namespace or junction name taken
constexpr int kAlreadyTrustee = trvns::status::kAlreadyTrustee;
constexpr int kNoSuchObject = trvns::status::kNoSuchObject;
constexpr int kNameTaken = trvns::status::kNameTaken;           // folder name taken
constexpr int kTooLong = trvns::status::kTooLong;               // empty or over-long name
constexpr int kUnsupported = trvns::status::kUnsupported;
constexpr int kInvalid = trvns::status::kInvalid;               // invalid characters or components, bad path
constexpr int kNoSuchPath = trvns::status::kNoSuchPath;
constexpr int kInvalidTarget = trvns::status::kInvalidTarget;
constexpr int kNotANamespace = trvns::status::kNotANamespace;
constexpr int kBadPageNumber = trvns::status::kBadPageNumber;
constexpr int kBadPageSize = trvns::status::kBadPageSize;

// Volume operations.
constexpr int kInvalidTargetType = trvns::status::kInvalidTargetType;
constexpr int kInternalError = trvns::status::kInternalError;
constexpr int kMultipleRecords = trvns::status::kMultipleRecords;
constexpr int kNoVolumeRecord = trvns::status::kNoVolumeRecord;
constexpr int kTargetExists = trvns::status::kTargetExists;
constexpr int kWrongTarget = trvns::status::kWrongTarget;

}  // namespace nsserver

#endif
