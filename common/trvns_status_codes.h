// The status codes of the namespace service, named once for the library,
// the plug-in, the program and the server.  The numbers travel on the wire
// and are what the program turns into sentences and exit statuses.
#ifndef TRVNS_STATUS_CODES_H
#define TRVNS_STATUS_CODES_H

namespace trvns::status {

constexpr int kOk = 0;

// Old-style codes, each with its sentence and POSIX value in status.cpp.
constexpr int kNotPermittedOld = 1;  // e.g. removing a folder that is not empty
constexpr int kNoObjectOld = 2;
constexpr int kInternalFailure = 5;  // also: no memory, a reply that could not be built
constexpr int kAccessDeniedOld = 13;
constexpr int kExists = 17;          // namespace or junction name taken
constexpr int kNotADirectory = 20;   // parent missing or not a folder
constexpr int kInvalidInput = 22;    // refused before anything was sent
constexpr int kAlreadyTrustee = 60;
constexpr int kMissingConfig = 12;   // client settings incomplete, no client
constexpr int kNotConnected = 112;
constexpr int kNoMountPoint = 113;
constexpr int kIsJunction = 115;
constexpr int kNoSuchObject = 116;
constexpr int kNameTaken = 117;      // folder name taken
constexpr int kTooLong = 118;        // empty or over-long name
constexpr int kNotPermitted = 119;
constexpr int kAccessDenied = 120;
constexpr int kUnsupported = 121;
constexpr int kInvalid = 122;        // invalid characters or components, bad path
constexpr int kNoSuchPath = 123;
constexpr int kBuildFailed = 124;
constexpr int kInvalidTarget = 125;

// Volume operations.
constexpr int kInvalidTargetType = 126;
constexpr int kInternalError = 127;
constexpr int kMultipleRecords = 128;
constexpr int kNoVolumeRecord = 129;
constexpr int kPartialFailure = 130;
constexpr int kTargetExists = 131;
constexpr int kWrongTarget = 132;

// Negative codes of the library and the plug-in.
constexpr int kStatCallFailed = -1;
constexpr int kVolumeNotANamespace = -5;
constexpr int kBadPath = -11;        // no "/TRVNS" prefix
constexpr int kNoPlugin = -12;       // no plug-in loaded; also a failed initService call
constexpr int kNoMountPointOld = -13;
constexpr int kNotANamespaceOld = -14;
constexpr int kVersionMismatch = -16;
constexpr int kNotANamespaceOld2 = -17;
constexpr int kVolumeInternal1 = -20;
constexpr int kVolumeInternal2 = -41;
constexpr int kVolumeInternal3 = -42;
constexpr int kNotANamespace = -100;
constexpr int kBadPageValue = -300;
constexpr int kBadPageNumber = -301;
constexpr int kBadPageSize = -302;

}  // namespace trvns::status

#endif
