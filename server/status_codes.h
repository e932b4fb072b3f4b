// Status codes the namespace server answers with (the numbering the
// management library turns into sentences).
#ifndef TRVNS_SERVER_STATUS_CODES_H
#define TRVNS_SERVER_STATUS_CODES_H

namespace nsserver {

constexpr int kOk = 0;
constexpr int kNotPermitted = 1;        // e.g. removing a folder that is not empty
constexpr int kNotADirectory = 20;      // parent missing or not a folder
constexpr int kExists = 17;             // namespace or junction name taken
constexpr int kAlreadyTrustee = 60;
constexpr int kNoSuchObject = 116;
constexpr int kNameTaken = 117;         // folder name taken
constexpr int kTooLong = 118;           // empty or over-long name
constexpr int kUnsupported = 121;
constexpr int kInvalid = 122;           // invalid characters or components, bad path
constexpr int kNoSuchPath = 123;
constexpr int kInvalidTarget = 125;
constexpr int kNotANamespace = -100;
constexpr int kBadPageNumber = -301;
constexpr int kBadPageSize = -302;

// Volume operations.
constexpr int kInvalidTargetType = 126;
constexpr int kInternalError = 127;
constexpr int kMultipleRecords = 128;
constexpr int kNoVolumeRecord = 129;
constexpr int kTargetExists = 131;
constexpr int kWrongTarget = 132;

}  // namespace nsserver

#endif
