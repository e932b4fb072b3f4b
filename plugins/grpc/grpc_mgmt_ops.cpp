#include "grpc_mgmt_ops.h"

#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/io/zero_copy_stream_impl_lite.h>
#include <google/protobuf/wire_format_lite.h>
#include <grpcpp/impl/client_unary_call.h>

#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <vector>

#include "call_report.h"
#include "pem_file_read.h"
#include "trvns_log.h"
#include "trvns_status_codes.h"

namespace {

using trvns::status::kBadPageValue;
using trvns::status::kInternalFailure;  // also: out of memory
using trvns::status::kInvalidInput;    // a request that cannot be sent
using trvns::status::kNoPlugin;        // also: a failed initService call
using trvns::status::kNotConnected;    // a call that failed
using trvns::status::kStatCallFailed;
constexpr int kInitialReconnectBackoffMs = 250;
constexpr int kMaxReconnectBackoffMs = 1000;
constexpr std::chrono::milliseconds kUnusedBeforeLook{250};
constexpr std::chrono::milliseconds kLookLength{10};

std::string orEmpty(const char *text) { return text ? text : std::string(); }

// A client certificate without its key (or the other way round) cannot be
// presented; connect fails naming the file that was given.
[[noreturn]] void refuseUnpairedClientFile(const char *given, const std::string &path, const char *missing) {
    throw std::runtime_error("Unable to use " + std::string(given) + " " + path + ": " + missing + " is not set");
}

// malloc'ed array of n elements; a zero-length request still allocates.
template <typename Element>
Element *allocateArray(size_t n) {
    return static_cast<Element *>(calloc(n == 0 ? 1 : n, sizeof(Element)));
}

// Fills a freshly allocated array of `Element` from a repeated reply field.
template <typename Element, typename Repeated, typename Extract>
Element *extractAll(const Repeated &items, Extract extract) {
    Element *array = allocateArray<Element>(static_cast<size_t>(items.size()));
    if (array == nullptr) return nullptr;
    for (int i = 0; i < items.size(); ++i) extract(&array[i], items.Get(i));
    return array;
}

// Grows a malloc'ed array by doubling; false when out of memory.
template <typename Element>
bool appendTo(Element *&array, size_t &count, size_t &capacity, const Element &value) {
    if (count == capacity) {
        size_t grown = capacity == 0 ? 64 : capacity * 2;
        auto *bigger = static_cast<Element *>(realloc(array, grown * sizeof(Element)));
        if (bigger == nullptr) return false;
        array = bigger;
        capacity = grown;
    }
    array[count++] = value;
    return true;
}

// Reads an encoded reply slice by slice and lets go of each slice as soon
// as the reader has moved past it, so that the encoded reply shrinks while
// its decoded form grows.
class ReleasingSliceReader final : public google::protobuf::io::ZeroCopyInputStream {
public:
    explicit ReleasingSliceReader(grpc::ByteBuffer &encoded) {
        ok_ = encoded.Dump(&slices_).ok();
        encoded.Clear();  // the slices now hold the only references
    }
    bool ok() const { return ok_; }

    bool Next(const void **data, int *size) override {
        if (backedUp_ == 0) {
            if (next_ > 0) slices_[next_ - 1] = grpc::Slice();
            while (next_ < slices_.size() && slices_[next_].size() == 0) ++next_;
            if (next_ == slices_.size()) return false;
            backedUp_ = slices_[next_++].size();
        }
        const grpc::Slice &slice = slices_[next_ - 1];
        *data = slice.begin() + (slice.size() - backedUp_);
        *size = static_cast<int>(backedUp_);
        read_ += backedUp_;
        backedUp_ = 0;
        return true;
    }
    void BackUp(int count) override {
        backedUp_ = static_cast<size_t>(count);
        read_ -= backedUp_;
    }
    bool Skip(int count) override {
        const void *data;
        int size;
        while (count > 0) {
            if (!Next(&data, &size)) return false;
            if (size > count) {
                BackUp(size - count);
                return true;
            }
            count -= size;
        }
        return true;
    }
    int64_t ByteCount() const override { return static_cast<int64_t>(read_); }

private:
    std::vector<grpc::Slice> slices_;
    size_t next_ = 0;      // the slice after the one being read
    size_t backedUp_ = 0;  // unread bytes at the end of the slice being read
    size_t read_ = 0;
    bool ok_ = false;
};

// Decodes an encoded reply whose bulk is one repeated message field without
// building it: each element is parsed into one reused message and handed
// to `take`, while the encoded reply is let go of slice by slice; the
// other fields are parsed into `rest`.  The peak is little more than what
// `take` keeps, instead of the encoded reply plus the whole message tree.
template <typename Element, typename Take>
bool decodeElementwise(grpc::ByteBuffer &encoded, int field, google::protobuf::MessageLite &rest, Take take) {
    using Wire = google::protobuf::internal::WireFormatLite;
    std::string others;
    {
        ReleasingSliceReader reader(encoded);
        if (!reader.ok()) return false;
        google::protobuf::io::CodedInputStream in(&reader);
        in.SetTotalBytesLimit(std::numeric_limits<int>::max());  // the channel's receive limit is off too
        google::protobuf::io::StringOutputStream othersStream(&others);
        google::protobuf::io::CodedOutputStream othersOut(&othersStream);
        Element element;
        while (uint32_t tag = in.ReadTag()) {
            if (Wire::GetTagFieldNumber(tag) == field && Wire::GetTagWireType(tag) == Wire::WIRETYPE_LENGTH_DELIMITED) {
                uint32_t length = 0;
                if (!in.ReadVarint32(&length)) return false;
                auto limit = in.PushLimit(static_cast<int>(length));
                element.Clear();
                if (!element.MergeFromCodedStream(&in) || !in.ConsumedEntireMessage()) return false;
                in.PopLimit(limit);
                if (!take(element)) return false;
            } else if (!Wire::SkipField(&in, tag, &othersOut)) {
                return false;
            }
        }
        if (!in.ConsumedEntireMessage()) return false;
    }
    return rest.ParseFromString(others);
}

std::string methodPath(const char *rpc) {
    return std::string("/") + trvnamespace::TRVNamespaceServer::service_full_name() + "/" + rpc;
}

}  // namespace

TRVNS_GrpcMgmtOps::TRVNS_GrpcMgmtOps(trvns_clientConfig *config, const ClientSettings &settings)
    : library_(), deadline_(settings.deadline) {
    TRVNS_LOG_AS("TRVNS_GrpcMgmtOps", LOG_DEBUG, "called with server=%s, port=%s, clientCertPath=%s",
                 trvnsOrNull(config->server), trvnsOrNull(config->port), trvnsOrNull(config->clientCertPath));
    grpc::SslCredentialsOptions tls;
    tls.pem_root_certs = readPemCertificates(config->clientCertPath);
    if (settings.clientKey.empty() && !settings.clientCert.empty()) {
        refuseUnpairedClientFile("clientcert", settings.clientCert, "clientkey");
    }
    if (settings.clientCert.empty() && !settings.clientKey.empty()) {
        refuseUnpairedClientFile("clientkey", settings.clientKey, "clientcert");
    }
    if (!settings.clientCert.empty()) {
        tls.pem_cert_chain = readPemCertificates(settings.clientCert);
        tls.pem_private_key = readPemPrivateKey(settings.clientKey);
    }
    std::string target = std::string(config->server) + ":" + config->port;
    // Replies listing a large folder or page can exceed gRPC's default 4 MiB
    // receive limit; they must arrive, not fail as if the server were down.
    grpc::ChannelArguments arguments;
    arguments.SetMaxReceiveMessageSize(-1);
    // Between failed connection attempts gRPC waits 1 s, then 1.6 times
    // longer each time, up to 2 min.  A call waiting for a restarted server
    // would thus go on waiting seconds after the server is back; the
    // attempts are kept at most about a second apart instead.
    arguments.SetInt(GRPC_ARG_INITIAL_RECONNECT_BACKOFF_MS, kInitialReconnectBackoffMs);
    arguments.SetInt(GRPC_ARG_MAX_RECONNECT_BACKOFF_MS, kMaxReconnectBackoffMs);
    channel_ = grpc::CreateCustomChannel(target, grpc::SslCredentials(tls), arguments);
    stub_ = trvnamespace::TRVNamespaceServer::NewStub(channel_, grpc::StubOptions());
}

TRVNS_GrpcMgmtOps::~TRVNS_GrpcMgmtOps() {
    stub_.reset();
    channel_.reset();
}

// The client holds one reference on the gRPC library for its lifetime.  When
// it is the last one, gRPC is shut down before the client is gone, so that
// no gRPC thread is left running while the program exits.
TRVNS_GrpcMgmtOps::LibraryReference::LibraryReference() { grpc_init(); }

TRVNS_GrpcMgmtOps::LibraryReference::~LibraryReference() { grpc_shutdown_blocking(); }

void TRVNS_GrpcMgmtOps::prepare(grpc::ClientContext &context) {
    if (deadline_) context.set_deadline(std::chrono::system_clock::now() + *deadline_);
    if (!answeredBefore_) return;
    context.set_wait_for_ready(true);
    // gRPC reads a connection only while something polls it: a call, or
    // its backup poller every 5 s.  A server that went away while the
    // connection sat unused is thus found out only by the next call, which
    // fails ("Socket closed") as its request may have reached the server.
    // A short look first lets gRPC read the closing; the call then waits
    // for the new connection.  Calls that follow each other closely skip
    // the look (it costs about its length when the connection is sound).
    if (std::chrono::steady_clock::now() - lastCallEnd_ >= kUnusedBeforeLook &&
        channel_->GetState(false) == GRPC_CHANNEL_READY) {
        channel_->WaitForStateChange(GRPC_CHANNEL_READY, std::chrono::system_clock::now() + kLookLength);
    }
}

void TRVNS_GrpcMgmtOps::noteOutcome(const grpc::Status &status) {
    lastCallEnd_ = std::chrono::steady_clock::now();
    if (status.ok()) {
        answeredBefore_ = true;
    } else if (answeredBefore_ && status.error_code() == grpc::StatusCode::DEADLINE_EXCEEDED &&
               channel_->GetState(false) != GRPC_CHANNEL_READY) {
        answeredBefore_ = false;
        TRVNS_LOG(LOG_ERR,
                  "the server was not reached again within the timeout; calls no longer wait for it until it answers");
    }
}

template <typename Request, typename Reply>
int32_t TRVNS_GrpcMgmtOps::call(grpc::Status (Stub::*rpc)(grpc::ClientContext *, const Request &, Reply *),
                                const Request &request, Reply &reply, int32_t failed) {
    std::string field;
    if (!textsAreSendable(request, &field)) {
        logNotSendable(rpcName(request), field);
        return kInvalidInput;
    }
    grpc::ClientContext context;
    prepare(context);
    const grpc::Status status = (stub_.get()->*rpc)(&context, request, &reply);
    noteOutcome(status);
    if (status.ok()) return 0;
    logCallFailure(rpcName(request), status, deadline_);
    return failed;
}

template <typename Request>
int32_t TRVNS_GrpcMgmtOps::callEncoded(const char *method, const Request &request, grpc::ByteBuffer &reply,
                                       int32_t failed) {
    std::string field;
    if (!textsAreSendable(request, &field)) {
        logNotSendable(method, field);
        return kInvalidInput;
    }
    grpc::ClientContext context;
    prepare(context);
    std::string path = methodPath(method);
    grpc::internal::RpcMethod rpc(path.c_str(), grpc::internal::RpcMethod::NORMAL_RPC, channel_);
    const grpc::Status status =
        grpc::internal::BlockingUnaryCall<Request, grpc::ByteBuffer, google::protobuf::MessageLite, grpc::ByteBuffer>(
            channel_.get(), rpc, &context, request, &reply);
    noteOutcome(status);
    if (status.ok()) return 0;
    logCallFailure(method, status, deadline_);
    return failed;
}

template <typename Reply, typename Request>
int32_t TRVNS_GrpcMgmtOps::callForRetCode(grpc::Status (Stub::*rpc)(grpc::ClientContext *, const Request &, Reply *),
                                          const Request &request, int32_t failed) {
    Reply reply;
    if (int32_t status = call(rpc, request, reply, failed)) return status;
    return reply.retcode();
}

int32_t TRVNS_GrpcMgmtOps::listContents(unsigned uid, const std::string &folderName, ListContentsOutput *out) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, folderName=%s", uid, folderName.c_str());
    trvnamespace::ListContentsInput request;
    request.set_foldername(folderName);
    request.set_uid(uid);
    trvnamespace::ListContentsReply reply;
    if (int32_t failed = call(&Stub::ListContents, request, reply, kStatCallFailed)) return failed;
    out->retCode = reply.retcode();
    out->firstCount = reply.firstnames_size();
    out->secondCount = reply.secondnames_size();
    out->firstNames = extractAll<char *>(reply.firstnames(), [](char **d, const std::string &s) { *d = copyText(s); });
    out->secondNames = extractAll<char *>(reply.secondnames(), [](char **d, const std::string &s) { *d = copyText(s); });
    if (out->firstNames == nullptr) out->firstCount = 0;
    if (out->secondNames == nullptr) out->secondCount = 0;
    return 0;
}

int32_t TRVNS_GrpcMgmtOps::objStat(unsigned uid, const std::string &nodeName, ObjStatOutput *out) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, nodeName=%s", uid, nodeName.c_str());
    trvnamespace::ObjStatInput request;
    request.set_nodename(nodeName);
    request.set_uid(uid);
    trvnamespace::ObjStatReply reply;
    if (int32_t failed = call(&Stub::ObjStat, request, reply, kStatCallFailed)) return failed;
    out->retCode = reply.retcode();
    out->isDir = reply.isdir();
    out->elementCount = reply.elementcount();
    int n = reply.metadata_size();
    if (n >= 2) TRVNS_LOG(LOG_ERR, "The element count returned is >1: %d!", n);
    out->metadata = extractAll<MetadataC>(reply.metadata(), extractMetadata);
    if (out->metadata == nullptr) {
        out->metadataCount = 0;
        return kInternalFailure;
    }
    out->metadataCount = n;
    printObjStatOut(out);
    return 0;
}

int32_t TRVNS_GrpcMgmtOps::listAll(const char *nameSpace, int pageNum, int pageSize, ListAllOutput *out) {
    if (pageNum < 0 || pageSize < 0) return kBadPageValue;
    trvnamespace::ListAllInput request;
    request.set_namespace_(orEmpty(nameSpace));
    request.set_pagenum(pageNum);
    request.set_pagesize(pageSize);
    grpc::ByteBuffer encoded;
    if (int32_t failed = callEncoded("ListAll", request, encoded, kNotConnected)) return failed;
    trvnamespace::ListAllReply reply;  // every field but the junctions
    JunctionListDataC *entries = nullptr;
    size_t count = 0, capacity = 0;
    bool outOfMemory = false;
    bool complete = decodeElementwise<trvnamespace::MetadataForListAll>(
        encoded, trvnamespace::ListAllReply::kJunctionsFieldNumber, reply,
        [&](const trvnamespace::MetadataForListAll &junction) {
            JunctionListDataC row;
            extractMetadataForListAll(&row, junction);
            outOfMemory = !appendTo(entries, count, capacity, row);
            return !outOfMemory;
        });
    ListAllOutput decoded{0, reply.totaljunctions(), static_cast<int32_t>(count), entries};
    if (!complete || reply.retcode() != 0) {
        freeListAllJunctionsOutput(&decoded);
        return outOfMemory ? kInternalFailure : complete ? reply.retcode() : kNotConnected;
    }
    *out = decoded;
    return 0;
}

int32_t TRVNS_GrpcMgmtOps::dirStat(unsigned uid, const std::string &folderName, DirStatOutput *out) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, folderName=%s", uid, folderName.c_str());
    trvnamespace::DirStatInput request;
    request.set_foldername(folderName);
    request.set_uid(uid);
    grpc::ByteBuffer encoded;
    if (int32_t failed = callEncoded("DirStat", request, encoded, kNotConnected)) return failed;
    trvnamespace::DirStatReply reply;  // every field but the entries
    MetadataC *metadata = nullptr;
    size_t count = 0, capacity = 0;
    bool outOfMemory = false;
    bool complete = decodeElementwise<trvnamespace::Metadata>(
        encoded, trvnamespace::DirStatReply::kMetadataFieldNumber, reply, [&](const trvnamespace::Metadata &entry) {
            MetadataC element;
            extractMetadata(&element, entry);
            outOfMemory = !appendTo(metadata, count, capacity, element);
            return !outOfMemory;
        });
    DirStatOutput decoded{0, reply.isdir(), static_cast<int64_t>(count), metadata};
    if (!complete || reply.retcode() != 0) {
        freeDirStatOutput(&decoded);
        return outOfMemory ? kInternalFailure : complete ? reply.retcode() : kNotConnected;
    }
    if (decoded.metadata == nullptr) decoded.metadata = allocateArray<MetadataC>(0);
    if (decoded.metadata == nullptr) return kInternalFailure;
    *out = decoded;
    return 0;
}

int32_t TRVNS_GrpcMgmtOps::getJunctionTarget(unsigned uid, const std::string &path, TargetListOutput *out,
                                             unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s, options=%u", uid, path.c_str(), options);
    trvnamespace::GetJunctionTargetInput request;
    request.set_path(path);
    request.set_options(options);
    request.set_uid(uid);
    trvnamespace::GetJunctionTargetReply reply;
    if (int32_t failed = call(&Stub::GetJunctionTarget, request, reply, kNotConnected)) return failed;
    if (reply.retcode() != 0) return reply.retcode();
    TargetC *targets = extractAll<TargetC>(reply.targets(), extractTarget);
    if (targets == nullptr) return kInternalFailure;
    out->retCode = 0;
    out->count = reply.targets_size();
    out->targets = targets;
    return 0;
}

int32_t TRVNS_GrpcMgmtOps::createJunction(const std::string &userName, const std::string &dirPath,
                                          const std::string &junctionName, const std::string &targetServer,
                                          const std::string &targetVolume, const std::string &targetPath,
                                          const std::string &targetType, unsigned options) {
    TRVNS_LOG(LOG_DEBUG,
              "called with userName=%s, dirPath=%s, junctionName=%s, targetServer=%s, targetVolume=%s, "
              "targetPath=%s, targetType=%s, options=%u",
              userName.c_str(), dirPath.c_str(), junctionName.c_str(), targetServer.c_str(), targetVolume.c_str(),
              targetPath.c_str(), targetType.c_str(), options);
    trvnamespace::CreateJunctionInput request;
    request.set_dirpath(dirPath);
    request.set_junctionname(junctionName);
    request.set_targetserver(targetServer);
    request.set_targetvolume(targetVolume);
    request.set_targetpath(targetPath);
    request.set_targettype(targetType);
    request.set_options(options);
    return callForRetCode(&Stub::CreateJunction, request);
}

int32_t TRVNS_GrpcMgmtOps::createDirectory(const std::string &userName, const std::string &path, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "called with userName=%s, path=%s, options=%u", userName.c_str(), path.c_str(), options);
    trvnamespace::CreateFolderInput request;
    request.set_path(path);
    request.set_options(options);
    return callForRetCode(&Stub::CreateFolder, request);
}

int32_t TRVNS_GrpcMgmtOps::remove(const std::string &userName, const std::string &path, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "called with userName=%s, path=%s, options=%u", userName.c_str(), path.c_str(), options);
    trvnamespace::RemoveInput request;
    request.set_username(userName);
    request.set_path(path);
    request.set_options(options);
    return callForRetCode(&Stub::Remove, request);
}

int32_t TRVNS_GrpcMgmtOps::rename(const std::string &userName, const std::string &path, const std::string &newName,
                                  unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "called with userName=%s, path=%s, newName=%s, options=%u", userName.c_str(), path.c_str(),
              newName.c_str(), options);
    trvnamespace::RenameInput request;
    request.set_username(userName);
    request.set_path(path);
    request.set_newname(newName);
    request.set_options(options);
    return callForRetCode(&Stub::Rename, request);
}

namespace {

// The trustee sub-message of grant and revoke; only grant sets the type.
void fillTrustee(trvnamespace::Trustee *wire, const TrusteeC &trustee, bool setType) {
    if (trustee.name != nullptr) wire->set_name(trustee.name);
    if (trustee.guid != nullptr) wire->set_guid(trustee.guid);
    if (setType) wire->set_type(1);
    wire->set_rights(static_cast<int32_t>(trustee.rights));
}

}  // namespace

int32_t TRVNS_GrpcMgmtOps::trusteeGrant(const std::string &userName, const std::string &path, TrusteeC &trustee,
                                        unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "called with userName=%s, path=%s, trusteeName=%s, options=%u", userName.c_str(),
              path.c_str(), trvnsOrNull(trustee.name), options);
    trvnamespace::TrusteeGrantInput request;
    request.set_path(path);
    fillTrustee(request.mutable_trustee(), trustee, true);
    return callForRetCode(&Stub::TrusteeGrant, request);
}

int32_t TRVNS_GrpcMgmtOps::trusteeRevoke(const std::string &userName, const std::string &path, TrusteeC &trustee,
                                         unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "called with userName=%s, path=%s, trusteeName=%s, options=%u", userName.c_str(),
              path.c_str(), trvnsOrNull(trustee.name), options);
    trvnamespace::TrusteeRevokeInput request;
    request.set_path(path);
    fillTrustee(request.mutable_trustee(), trustee, false);
    return callForRetCode(&Stub::TrusteeRevoke, request);
}

int32_t TRVNS_GrpcMgmtOps::trusteeList(const std::string &userName, const std::string &path, TrusteeListOutput *out,
                                       unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "called with userName=%s, path=%s, options=%u", userName.c_str(), path.c_str(), options);
    trvnamespace::TrusteeListInput request;
    request.set_path(path);
    trvnamespace::TrusteeListReply reply;
    if (int32_t failed = call(&Stub::TrusteeList, request, reply, kNotConnected)) return failed;
    TrusteeC *trustees = extractAll<TrusteeC>(reply.trustees(), extractTrustee);
    if (trustees == nullptr) return kInternalFailure;
    out->retCode = reply.retcode();
    out->count = reply.trustees_size();
    out->trustees = trustees;
    printTrusteeListOut(out);
    return out->retCode;
}

int32_t TRVNS_GrpcMgmtOps::move(const std::string &userName, const std::string &source, const std::string &target,
                                unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "called with userName=%s, source=%s, target=%s, options=%u", userName.c_str(),
              source.c_str(), target.c_str(), options);
    trvnamespace::MoveInput request;
    request.set_username(userName);
    request.set_source(source);
    request.set_target(target);
    request.set_options(options);
    return callForRetCode(&Stub::Move, request);
}

int32_t TRVNS_GrpcMgmtOps::getNamespaces(trvns_getNamespaces_input *in, NamespaceListC *out) {
    TRVNS_LOG(LOG_DEBUG, "getNamespaces called with uid=%d, server=%s, options=%u", in->uid, trvnsOrNull(in->server),
              in->options);
    trvnamespace::GetNamespacesInput request;
    request.set_server(orEmpty(in->server));
    request.set_uid(in->uid);
    request.set_options(in->options);
    trvnamespace::GetNamespacesReply reply;
    if (int32_t failed = call(&Stub::GetNamespaces, request, reply, kNotConnected)) return failed;
    NamespaceC *namespaces = extractAll<NamespaceC>(reply.namespaces(), extractNamespace);
    if (namespaces == nullptr) return kInternalFailure;
    out->retCode = reply.retcode();
    out->count = reply.namespaces_size();
    out->namespaces = namespaces;
    return out->retCode;
}

int32_t TRVNS_GrpcMgmtOps::setNSCifsAttr(trvns_setNSCifsAttr_input *in, const std::string &cifsAttr) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, name_space=%s, options=%u, cifsAttr=%s", in->uid,
              trvnsOrNull(in->name_space), in->options, cifsAttr.c_str());
    trvnamespace::SetNSCifsAttrInput request;
    request.set_name_space(orEmpty(in->name_space));
    request.set_cifsattr(cifsAttr);
    request.set_uid(in->uid);
    request.set_options(in->options);
    return callForRetCode(&Stub::SetNSCifsAttr, request);
}

int32_t TRVNS_GrpcMgmtOps::getNSCifsAttr(trvns_getNSCifsAttr_input *in, std::string &cifsAttr) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, name_space=%s, options=%u", in->uid, trvnsOrNull(in->name_space),
              in->options);
    trvnamespace::GetNSCifsAttrInput request;
    request.set_name_space(orEmpty(in->name_space));
    request.set_uid(in->uid);
    request.set_options(in->options);
    trvnamespace::GetNSCifsAttrReply reply;
    if (int32_t failed = call(&Stub::GetNSCifsAttr, request, reply, kNotConnected)) return failed;
    cifsAttr = reply.cifsattr();
    return reply.retcode();
}

int32_t TRVNS_GrpcMgmtOps::createNamespace(trvns_createNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, options=%u", trvnsOrNull(in->name), in->options);
    trvnamespace::CreateNamespaceInput request;
    request.set_attribute1(orEmpty(in->attribute1));
    request.set_name(orEmpty(in->name));
    request.set_attribute2(orEmpty(in->attribute2));
    request.set_uid(in->uid);
    request.set_options(in->options);
    return callForRetCode(&Stub::CreateNamespace, request);
}

namespace {

// Delete, purge and salvage send the same three fields.
template <typename Request, typename Record>
Request namespaceRequest(const Record *in) {
    Request request;
    request.set_name(orEmpty(in->name));
    request.set_uid(in->uid);
    request.set_options(in->options);
    return request;
}

}  // namespace

int32_t TRVNS_GrpcMgmtOps::deleteNamespace(trvns_deleteNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, options=%u", trvnsOrNull(in->name), in->options);
    return callForRetCode(&Stub::DeleteNamespace, namespaceRequest<trvnamespace::DeleteNamespaceInput>(in));
}

int32_t TRVNS_GrpcMgmtOps::purgeNamespace(trvns_purgeNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, options=%u", trvnsOrNull(in->name), in->options);
    return callForRetCode(&Stub::PurgeNamespace, namespaceRequest<trvnamespace::PurgeNamespaceInput>(in));
}

int32_t TRVNS_GrpcMgmtOps::salvageNamespace(trvns_salvageNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, options=%u", trvnsOrNull(in->name), in->options);
    return callForRetCode(&Stub::SalvageNamespace, namespaceRequest<trvnamespace::SalvageNamespaceInput>(in));
}

int32_t TRVNS_GrpcMgmtOps::addVolumeEntry(trvns_addVolumeEntry_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with volumeName=%s, serverName=%s, targetType=%s, nameSpace=%s",
              trvnsOrNull(in->volumeName), trvnsOrNull(in->serverName), trvnsOrNull(in->targetType),
              trvnsOrNull(in->nameSpace));
    trvnamespace::AddVolumeEntryInput request;
    request.set_volumename(orEmpty(in->volumeName));
    request.set_servername(orEmpty(in->serverName));
    request.set_targettype(orEmpty(in->targetType));
    request.set_namespace_(orEmpty(in->nameSpace));
    return callForRetCode(&Stub::AddVolumeEntry, request);
}

int32_t TRVNS_GrpcMgmtOps::modifyVolumeEntry(trvns_modifyVolumeEntry_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with oldVolumeName=%s, newVolumeName=%s, serverName=%s",
              trvnsOrNull(in->oldVolumeName), trvnsOrNull(in->newVolumeName), trvnsOrNull(in->serverName));
    trvnamespace::ModifyVolumeEntryInput request;
    request.set_oldvolumename(orEmpty(in->oldVolumeName));
    request.set_newvolumename(orEmpty(in->newVolumeName));
    request.set_servername(orEmpty(in->serverName));
    request.set_targettype(orEmpty(in->targetType));
    return callForRetCode(&Stub::ModifyVolumeEntry, request);
}

int32_t TRVNS_GrpcMgmtOps::removeVolumeEntry(trvns_removeVolumeEntry_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with volumeName=%s, serverName=%s", trvnsOrNull(in->volumeName),
              trvnsOrNull(in->serverName));
    trvnamespace::RemoveVolumeEntryInput request;
    request.set_volumename(orEmpty(in->volumeName));
    request.set_servername(orEmpty(in->serverName));
    request.set_targettype(orEmpty(in->targetType));
    return callForRetCode(&Stub::RemoveVolumeEntry, request);
}

int32_t TRVNS_GrpcMgmtOps::initService(trvns_initService_input *in, trvns_initService_output * /*out*/) {
    TRVNS_LOG(LOG_DEBUG, "called with principal=%s, options=%u", trvnsOrNull(in->principal), in->options);
    trvnamespace::InitServiceInput request;
    request.set_principal(orEmpty(in->principal));
    request.set_options(in->options);
    return callForRetCode(&Stub::InitService, request, kNoPlugin);
}
