#include "namespace_service.h"

#include <cstdio>
#include <exception>

#include "status_codes.h"

namespace nsserver {
namespace {

constexpr int kFailedToBuild = 5;  // a storage failure, for namespace operations

// Runs one store operation; its status becomes the reply's retCode.  A
// storage failure is answered with `failure`, never a broken call.
template <typename Reply, typename Operation>
grpc::Status answer(Reply *reply, Operation operation, int failure = kFailedToBuild) {
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

}  // namespace

using namespace trvnamespace;
using grpc::ServerContext;
using grpc::Status;

Status NamespaceService::CreateNamespace(ServerContext *, const CreateNamespaceInput *in, CreateNamespaceReply *out) {
    return answer(out, [&] { return store_.createNamespace(*in); });
}

Status NamespaceService::DeleteNamespace(ServerContext *, const DeleteNamespaceInput *in, DeleteNamespaceReply *out) {
    return answer(out, [&] { return store_.deleteNamespace(in->name()); });
}

Status NamespaceService::SalvageNamespace(ServerContext *, const SalvageNamespaceInput *in,
                                          SalvageNamespaceReply *out) {
    return answer(out, [&] { return store_.salvageNamespace(in->name()); });
}

Status NamespaceService::PurgeNamespace(ServerContext *, const PurgeNamespaceInput *in, PurgeNamespaceReply *out) {
    return answer(out, [&] { return store_.purgeNamespace(in->name()); });
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

Status NamespaceService::SetNSCifsAttr(ServerContext *, const SetNSCifsAttrInput *in, SetNSCifsAttrReply *out) {
    return answer(out, [&] { return store_.setCifsAttr(in->name_space(), in->cifsattr()); });
}

Status NamespaceService::CreateFolder(ServerContext *, const CreateFolderInput *in, CreateFolderReply *out) {
    return answer(out, [&] { return store_.createFolder(in->path()); });
}

Status NamespaceService::CreateJunction(ServerContext *, const CreateJunctionInput *in, CreateJunctionReply *out) {
    return answer(out, [&] { return store_.createJunction(*in); });
}

Status NamespaceService::Remove(ServerContext *, const RemoveInput *in, RemoveReply *out) {
    return answer(out, [&] { return store_.remove(in->path()); });
}

Status NamespaceService::Rename(ServerContext *, const RenameInput *in, RenameReply *out) {
    return answer(out, [&] { return store_.rename(in->path(), in->newname()); });
}

Status NamespaceService::Move(ServerContext *, const MoveInput *in, MoveReply *out) {
    return answer(out, [&] { return store_.move(in->source(), in->target()); });
}

Status NamespaceService::TrusteeGrant(ServerContext *, const TrusteeGrantInput *in, TrusteeGrantReply *out) {
    return answer(out, [&] { return store_.trusteeGrant(in->path(), in->trustee()); });
}

Status NamespaceService::TrusteeRevoke(ServerContext *, const TrusteeRevokeInput *in, TrusteeRevokeReply *out) {
    return answer(out, [&] { return store_.trusteeRevoke(in->path(), in->trustee().name()); });
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

Status NamespaceService::ListAll(ServerContext *, const ListAllInput *in, ListAllReply *out) {
    return answer(out, [&] { return store_.listAll(in->namespace_(), in->pagenum(), in->pagesize(), out); });
}

Status NamespaceService::AddVolumeEntry(ServerContext *, const AddVolumeEntryInput *in, AddVolumeEntryReply *out) {
    return answer(out, [&] { return store_.addVolume(*in); }, kInternalError);
}

Status NamespaceService::ModifyVolumeEntry(ServerContext *, const ModifyVolumeEntryInput *in,
                                           ModifyVolumeEntryReply *out) {
    return answer(out, [&] { return store_.modifyVolume(*in); }, kInternalError);
}

Status NamespaceService::RemoveVolumeEntry(ServerContext *, const RemoveVolumeEntryInput *in,
                                           RemoveVolumeEntryReply *out) {
    return answer(out, [&] { return store_.removeVolume(*in); }, kInternalError);
}

Status NamespaceService::InitService(ServerContext *, const InitServiceInput *, InitServiceReply *out) {
    return answer(out, [] { return kOk; });
}

}  // namespace nsserver
