// The gRPC face of the server: TRVNamespaceServer over the namespace store.
#ifndef TRVNS_SERVER_NAMESPACE_SERVICE_H
#define TRVNS_SERVER_NAMESPACE_SERVICE_H

#include <condition_variable>
#include <mutex>

#include "namespace_store.h"
#include "trvnamespace.grpc.pb.h"

namespace nsserver {

// ListAll, whose reply can be the whole namespace, is answered with bytes
// encoded as the rows are read, on a thread of its own.
class NamespaceService final
    : public trvnamespace::TRVNamespaceServer::WithRawCallbackMethod_ListAll<trvnamespace::TRVNamespaceServer::Service> {
public:
    explicit NamespaceService(NamespaceStore &store) : store_(store) {}
    ~NamespaceService() override;

    grpc::ServerUnaryReactor *ListAll(grpc::CallbackServerContext *context, const grpc::ByteBuffer *request,
                                      grpc::ByteBuffer *reply) override;

#define NSSERVER_RPC(Name)                                                                                 \
    grpc::Status Name(grpc::ServerContext *context, const trvnamespace::Name##Input *request,             \
                      trvnamespace::Name##Reply *reply) override;
    NSSERVER_RPC(CreateJunction)
    NSSERVER_RPC(CreateFolder)
    NSSERVER_RPC(Remove)
    NSSERVER_RPC(Rename)
    NSSERVER_RPC(Move)
    NSSERVER_RPC(TrusteeGrant)
    NSSERVER_RPC(TrusteeRevoke)
    NSSERVER_RPC(TrusteeList)
    NSSERVER_RPC(GetJunctionTarget)
    NSSERVER_RPC(ListContents)
    NSSERVER_RPC(ObjStat)
    NSSERVER_RPC(DirStat)
    NSSERVER_RPC(GetNamespaces)
    NSSERVER_RPC(GetNSCifsAttr)
    NSSERVER_RPC(SetNSCifsAttr)
    NSSERVER_RPC(CreateNamespace)
    NSSERVER_RPC(DeleteNamespace)
    NSSERVER_RPC(PurgeNamespace)
    NSSERVER_RPC(SalvageNamespace)
    NSSERVER_RPC(AddVolumeEntry)
    NSSERVER_RPC(ModifyVolumeEntry)
    NSSERVER_RPC(RemoveVolumeEntry)
    NSSERVER_RPC(InitService)
#undef NSSERVER_RPC

private:
    void answerListAll(const grpc::ByteBuffer &request, grpc::ByteBuffer *reply);

    NamespaceStore &store_;
    std::mutex listersMutex_;
    std::condition_variable listersDone_;
    int listers_ = 0;
};

}  // namespace nsserver

#endif
