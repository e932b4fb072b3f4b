// A ListAll reply encoded as it is built, into page-sized buffers of its
// own that gRPC sends without copying and gives back to the system once
// sent: the server never holds the reply as messages and as bytes at once.
#ifndef TRVNS_SERVER_ENCODED_REPLY_H
#define TRVNS_SERVER_ENCODED_REPLY_H

#include <grpcpp/support/byte_buffer.h>
#include <grpcpp/support/slice.h>

#include <string>
#include <vector>

#include "trvnamespace.pb.h"

namespace nsserver {

class EncodedListAllReply {
public:
    EncodedListAllReply() = default;
    ~EncodedListAllReply();
    EncodedListAllReply(const EncodedListAllReply &) = delete;
    EncodedListAllReply &operator=(const EncodedListAllReply &) = delete;
    void addJunction(const std::string &folderName, const std::string &junctionName, const std::string &targetPath);
    // Drops the junctions added so far (a failed request answers with its code only).
    void clear();
    // The bytes of ListAllReply{junctions..., retCode, totalJunctions}, the
    // same as the message's own serialisation.
    grpc::ByteBuffer finish(int32_t retCode, int32_t totalJunctions);

private:
    void append(const std::string &bytes);
    void seal();

    std::vector<grpc::Slice> slices_;
    char *chunk_ = nullptr;
    size_t used_ = 0, capacity_ = 0;
    trvnamespace::MetadataForListAll row_;
    std::string rowBytes_;
};

}  // namespace nsserver

#endif
