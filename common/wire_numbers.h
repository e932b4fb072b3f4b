// Numbers of the wire that the schema keeps as plain integers (the enums
// of the schema come from its generated code): the `type` of a Metadata
// record, set by the server and read by the plug-in.
#ifndef TRVNS_WIRE_NUMBERS_H
#define TRVNS_WIRE_NUMBERS_H

#include <cstdint>

namespace trvns::wire {

constexpr int32_t kMetadataFolder = 1;
constexpr int32_t kMetadataJunction = 2;

}  // namespace trvns::wire

#endif
