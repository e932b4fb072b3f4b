// Status codes the namespace server answers with (the numbering the
// management library turns into sentences): the shared names, brought into
// the server's namespace, never renamed.
#ifndef TRVNS_SERVER_STATUS_CODES_H
#define TRVNS_SERVER_STATUS_CODES_H

#include "trvns_status_codes.h"

namespace nsserver {

using trvns::status::kOk;
using trvns::status::kNotPermittedOld;  // e.g. removing a folder that is not empty
using trvns::status::kNotADirectory;  // parent missing or not a folder
using trvns::status::kExists;  // namespace or junction name taken
using trvns::status::kAlreadyTrustee;
using trvns::status::kNoSuchObject;
using trvns::status::kNameTaken;  // folder name taken
using trvns::status::kTooLong;  // empty or over-long name
using trvns::status::kUnsupported;
using trvns::status::kInvalid;  // invalid characters or components, bad path
using trvns::status::kNoSuchPath;
using trvns::status::kInvalidTarget;
using trvns::status::kNotANamespace;
using trvns::status::kBadPageNumber;
using trvns::status::kBadPageSize;

// Volume operations.
using trvns::status::kInvalidTargetType;
using trvns::status::kInternalError;
using trvns::status::kMultipleRecords;
using trvns::status::kNoVolumeRecord;
using trvns::status::kTargetExists;
using trvns::status::kWrongTarget;

}  // namespace nsserver

#endif
