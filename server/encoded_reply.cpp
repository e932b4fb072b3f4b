#include "encoded_reply.h"

#include <google/protobuf/io/coded_stream.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>

#include <unistd.h>

namespace nsserver {
namespace {

constexpr size_t kChunkSize = 1 << 20;
// Field 1 of ListAllReply, length-delimited: one junction.
constexpr uint8_t kJunctionTag = (1 << 3) | 2;

void unmap(void *chunk, size_t size) { munmap(chunk, size); }

}  // namespace

EncodedListAllReply::~EncodedListAllReply() { clear(); }

void EncodedListAllReply::append(const std::string &bytes) {
    if (bytes.empty()) return;
    if (capacity_ - used_ < bytes.size()) {
        seal();
        capacity_ = std::max(kChunkSize, bytes.size());
        void *chunk = mmap(nullptr, capacity_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (chunk == MAP_FAILED) throw std::bad_alloc();
        chunk_ = static_cast<char *>(chunk);
    }
    memcpy(chunk_ + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

// Hands the current chunk to a slice; its unused tail is unmapped at once.
void EncodedListAllReply::seal() {
    if (chunk_ == nullptr) return;
    size_t pageSize = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t kept = std::max(pageSize, (used_ + pageSize - 1) / pageSize * pageSize);
    if (kept < capacity_) munmap(chunk_ + kept, capacity_ - kept);
    // munmap takes every page the used bytes touch: all that is left mapped.
    slices_.emplace_back(chunk_, used_, unmap);
    chunk_ = nullptr;
    used_ = capacity_ = 0;
}

void EncodedListAllReply::addJunction(const std::string &folderName, const std::string &junctionName,
                                      const std::string &targetPath) {
    row_.set_foldername(folderName);
    row_.set_junctionname(junctionName);
    row_.set_targetpath(targetPath);
    rowBytes_.clear();
    rowBytes_.push_back(static_cast<char>(kJunctionTag));
    uint8_t length[10];
    size_t size = row_.ByteSizeLong();
    uint8_t *end = google::protobuf::io::CodedOutputStream::WriteVarint32ToArray(static_cast<uint32_t>(size), length);
    rowBytes_.append(reinterpret_cast<char *>(length), static_cast<size_t>(end - length));
    row_.AppendToString(&rowBytes_);
    append(rowBytes_);
}

void EncodedListAllReply::clear() {
    if (chunk_ != nullptr) unmap(chunk_, capacity_);
    chunk_ = nullptr;
    used_ = capacity_ = 0;
    slices_.clear();
}

grpc::ByteBuffer EncodedListAllReply::finish(int32_t retCode, int32_t totalJunctions) {
    trvnamespace::ListAllReply tail;
    tail.set_retcode(retCode);
    tail.set_totaljunctions(totalJunctions);
    append(tail.SerializeAsString());
    seal();
    return grpc::ByteBuffer(slices_.data(), slices_.size());
}

}  // namespace nsserver
