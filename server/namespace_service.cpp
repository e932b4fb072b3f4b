#include "namespace_service.h"

#include <malloc.h>

#include <cstdio>
#include <exception>
#include <thread>

#include "audit_log.h"
#include "encoded_reply.h"
#include "status_codes.h"

namespace nsserver {
namespace {

// A storage failure of a namespace operation.
using trvns::status::kInternalFailure;  // also: a reply that could not be built

// Runs one store operation; its status becomes the reply's retCode.  A
// storage failure is answered with `failure`, never a broken call.
template <typename Reply, typename Operation>
grpc::Status answer(Reply *reply, Operation operation, int failure = kInternalFailure) {
    int status;
    try {
        status = operation();
    } catch (const std::exception &error) {
        fprintf(stderr, "trvns-nsserver: %s\n", error.what());
        reply->Clear();
        status = failure;
    }
    if (status != kOk) {
        // A failed request answers with its code only.
        reply->Clear();
    }
    reply->set_retcode(status);
    return grpc::Status::OK;
}

// The same for a change request, which also leaves its audit line.
template <typename Reply, typename Operation>
grpc::Status change(const grpc::ServerContext *context, const char *rpc, const AuditFields &fields, Reply *reply,
                    Operation operation, int failure = kInternalFailure) {
    grpc::Status status = answer(reply, operation, failure);
    writeAuditLine(*context, rpc, fields, reply->retcode());
    return status;
}

}  // namespace

using namespace trvnamespace;
using grpc::ServerContext;
using grpc::Status;

Status NamespaceService::CreateNamespace(ServerContext *context, const CreateNamespaceInput *in,
                                         CreateNamespaceReply *out) {
    return change(context, __func__, {{"name", in->name()}}, out, [&] { return store_.createNamespace(*in); });
}

Status NamespaceService::DeleteNamespace(ServerContext *context, const DeleteNamespaceInput *in,
                                         DeleteNamespaceReply *out) {
    return change(context, __func__, {{"name", in->name()}}, out, [&] { return store_.deleteNamespace(in->name()); });
}

Status NamespaceService::SalvageNamespace(ServerContext *context, const SalvageNamespaceInput *in,
                                          SalvageNamespaceReply *out) {
    return change(context, __func__, {{"name", in->name()}}, out, [&] { return store_.salvageNamespace(in->name()); });
}

Status NamespaceService::PurgeNamespace(ServerContext *context, const PurgeNamespaceInput *in,
                                        PurgeNamespaceReply *out) {
    return change(context, __func__, {{"name", in->name()}}, out, [&] { return store_.purgeNamespace(in->name()); });
}

Status NamespaceService::GetNamespaces(ServerContext *, const GetNamespacesInput *, GetNamespacesReply *out) {
    return answer(out, [&] { return store_.getNamespaces(out); });
}

Status NamespaceService::GetNSCifsAttr(ServerContext *, const GetNSCifsAttrInput *in, GetNSCifsAttrReply *out) {
    return answer(out, [&] {
        std::string attr;
        int status = store_.getCifsAttr(in->name_space(), &attr);
        out->set_cifsattr(attr);
        return status;
    });
}

Status NamespaceService::SetNSCifsAttr(ServerContext *context, const SetNSCifsAttrInput *in, SetNSCifsAttrReply *out) {
    return change(context, __func__, {{"name", in->name_space()}, {"cifsattr", in->cifsattr()}}, out,
                  [&] { return store_.setCifsAttr(in->name_space(), in->cifsattr()); });
}

Status NamespaceService::CreateFolder(ServerContext *context, const CreateFolderInput *in, CreateFolderReply *out) {
    return change(context, __func__, {{"path", in->path()}}, out, [&] { return store_.createFolder(in->path()); });
}

Status NamespaceService::CreateJunction(ServerContext *context, const CreateJunctionInput *in,
                                        CreateJunctionReply *out) {
    return change(context, __func__, {{"path", in->dirpath()}, {"name", in->junctionname()}}, out,
                  [&] { return store_.createJunction(*in); });
}

Status NamespaceService::Remove(ServerContext *context, const RemoveInput *in, RemoveReply *out) {
    return change(context, __func__, {{"path", in->path()}}, out, [&] { return store_.remove(in->path()); });
}

Status NamespaceService::Rename(ServerContext *context, const RenameInput *in, RenameReply *out) {
    return change(context, __func__, {{"path", in->path()}, {"newname", in->newname()}}, out,
                  [&] { return store_.rename(in->path(), in->newname()); });
}

Status NamespaceService::Move(ServerContext *context, const MoveInput *in, MoveReply *out) {
    return change(context, __func__, {{"path", in->source()}, {"target", in->target()}}, out,
                  [&] { return store_.move(in->source(), in->target()); });
}

Status NamespaceService::TrusteeGrant(ServerContext *context, const TrusteeGrantInput *in, TrusteeGrantReply *out) {
    return change(context, __func__, {{"path", in->path()}, {"trustee", in->trustee().name()}}, out,
                  [&] { return store_.trusteeGrant(in->path(), in->trustee()); });
}

Status NamespaceService::TrusteeRevoke(ServerContext *context, const TrusteeRevokeInput *in, TrusteeRevokeReply *out) {
    return change(context, __func__, {{"path", in->path()}, {"trustee", in->trustee().name()}}, out,
                  [&] { return store_.trusteeRevoke(in->path(), in->trustee().name()); });
}

Status NamespaceService::TrusteeList(ServerContext *, const TrusteeListInput *in, TrusteeListReply *out) {
    return answer(out, [&] { return store_.trusteeList(in->path(), out); });
}

Status NamespaceService::GetJunctionTarget(ServerContext *, const GetJunctionTargetInput *in,
                                           GetJunctionTargetReply *out) {
    return answer(out, [&] { return store_.junctionTarget(in->path(), out); });
}

Status NamespaceService::ListContents(ServerContext *, const ListContentsInput *in, ListContentsReply *out) {
    return answer(out, [&] { return store_.listContents(in->foldername(), out); });
}

Status NamespaceService::ObjStat(ServerContext *, const ObjStatInput *in, ObjStatReply *out) {
    return answer(out, [&] { return store_.objStat(in->nodename(), out); });
}

Status NamespaceService::DirStat(ServerContext *, const DirStatInput *in, DirStatReply *out) {
    return answer(out, [&] { return store_.dirStat(in->foldername(), in->uid(), out); });
}

NamespaceService::~NamespaceService() {
    std::unique_lock<std::mutex> lock(listersMutex_);
    listersDone_.wait(lock, [this] { return listers_ == 0; });
}

void NamespaceService::answerListAll(const grpc::ByteBuffer &request, grpc::ByteBuffer *reply) {
    std::vector<grpc::Slice> slices;
    std::string bytes;
    ListAllInput in;
    if (request.Dump(&slices).ok()) {
        for (const grpc::Slice &slice : slices) bytes.append(reinterpret_cast<const char *>(slice.begin()), slice.size());
    }
    in.ParseFromString(bytes);
    EncodedListAllReply encoded;
    int64_t total = 0;
    int status;
    try {
        status = store_.listAll(
            in.namespace_(), in.pagenum(), in.pagesize(),
            [&](const std::string &folder, const std::string &name, const std::string &target) {
                encoded.addJunction(folder, name, target);
            },
            &total);
    } catch (const std::exception &error) {
        fprintf(stderr, "trvns-nsserver: %s\n", error.what());
        status = kInternalFailure;
    }
    if (status != kOk) {
        encoded.clear();
        total = 0;
    }
    *reply = encoded.finish(status, static_cast<int32_t>(total));
}

grpc::ServerUnaryReactor *NamespaceService::ListAll(grpc::CallbackServerContext *context,
                                                    const grpc::ByteBuffer *request, grpc::ByteBuffer *reply) {
    grpc::ServerUnaryReactor *reactor = context->DefaultReactor();
    {
        std::lock_guard<std::mutex> lock(listersMutex_);
        ++listers_;
    }
    // gRPC's callback threads are not held while the store reads.
    std::thread([this, request, reply, reactor] {
        answerListAll(*request, reply);
        malloc_trim(0);  // what reading the rows took goes back to the system
        reactor->Finish(Status::OK);
        std::lock_guard<std::mutex> lock(listersMutex_);
        if (--listers_ == 0) listersDone_.notify_all();
    }).detach();
    return reactor;
}

Status NamespaceService::AddVolumeEntry(ServerContext *context, const AddVolumeEntryInput *in,
                                        AddVolumeEntryReply *out) {
    return change(
        context, __func__,
        {{"volume", in->volumename()}, {"server", in->servername()}, {"namespace", in->namespace_()}}, out,
        [&] { return store_.addVolume(*in); }, kInternalError);
}

Status NamespaceService::ModifyVolumeEntry(ServerContext *context, const ModifyVolumeEntryInput *in,
                                           ModifyVolumeEntryReply *out) {
    return change(
        context, __func__,
        {{"volume", in->oldvolumename()}, {"newname", in->newvolumename()}, {"server", in->servername()}}, out,
        [&] { return store_.modifyVolume(*in); }, kInternalError);
}

Status NamespaceService::RemoveVolumeEntry(ServerContext *context, const RemoveVolumeEntryInput *in,
                                           RemoveVolumeEntryReply *out) {
    return change(
        context, __func__, {{"volume", in->volumename()}, {"server", in->servername()}}, out,
        [&] { return store_.removeVolume(*in); }, kInternalError);
}

Status NamespaceService::InitService(ServerContext *, const InitServiceInput *, InitServiceReply *out) {
    return answer(out, [] { return kOk; });
}

}  // namespace nsserver
