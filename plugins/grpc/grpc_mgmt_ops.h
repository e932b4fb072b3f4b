// TRVNS_GrpcMgmtOps: the gRPC client of the namespace service.  One
// instance per connection; every operation is one blocking unary call with
// a fresh client context.
#ifndef TRVNS_GRPC_MGMT_OPS_H
#define TRVNS_GRPC_MGMT_OPS_H

#include <grpc/grpc.h>
#include <grpcpp/grpcpp.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "client_settings.h"
#include "intermediate_records.h"
#include "trvnamespace.grpc.pb.h"
#include "trvns_status_codes.h"

class TRVNS_GrpcMgmtOps {
public:
    // Throws std::runtime_error("Unable to open file <path>...") when the
    // root certificates or the client certificate or key cannot be read,
    // and when only one of client certificate and key is set.
    TRVNS_GrpcMgmtOps(trvns_clientConfig *config, const ClientSettings &settings);
    ~TRVNS_GrpcMgmtOps();
    TRVNS_GrpcMgmtOps(const TRVNS_GrpcMgmtOps &) = delete;
    TRVNS_GrpcMgmtOps &operator=(const TRVNS_GrpcMgmtOps &) = delete;

    int32_t listContents(unsigned uid, const std::string &folderName, ListContentsOutput *out);
    int32_t objStat(unsigned uid, const std::string &nodeName, ObjStatOutput *out);
    int32_t listAll(const char *nameSpace, int pageNum, int pageSize, ListAllOutput *out);
    int32_t dirStat(unsigned uid, const std::string &folderName, DirStatOutput *out);
    int32_t getJunctionTarget(unsigned uid, const std::string &path, TargetListOutput *out, unsigned options);
    int32_t createJunction(const std::string &userName, const std::string &dirPath, const std::string &junctionName,
                           const std::string &targetServer, const std::string &targetVolume,
                           const std::string &targetPath, const std::string &targetType, unsigned options);
    int32_t createDirectory(const std::string &userName, const std::string &path, unsigned options);
    int32_t remove(const std::string &userName, const std::string &path, unsigned options);
    int32_t rename(const std::string &userName, const std::string &path, const std::string &newName,
                   unsigned options);
    int32_t trusteeGrant(const std::string &userName, const std::string &path, TrusteeC &trustee, unsigned options);
    int32_t trusteeRevoke(const std::string &userName, const std::string &path, TrusteeC &trustee, unsigned options);
    int32_t trusteeList(const std::string &userName, const std::string &path, TrusteeListOutput *out,
                        unsigned options);
    int32_t move(const std::string &userName, const std::string &source, const std::string &target,
                 unsigned options);
    int32_t getNamespaces(trvns_getNamespaces_input *in, NamespaceListC *out);
    int32_t setNSCifsAttr(trvns_setNSCifsAttr_input *in, const std::string &cifsAttr);
    int32_t getNSCifsAttr(trvns_getNSCifsAttr_input *in, std::string &cifsAttr);
    int32_t createNamespace(trvns_createNamespace_input *in);
    int32_t deleteNamespace(trvns_deleteNamespace_input *in);
    int32_t purgeNamespace(trvns_purgeNamespace_input *in);
    int32_t salvageNamespace(trvns_salvageNamespace_input *in);
    int32_t addVolumeEntry(trvns_addVolumeEntry_input *in);
    int32_t modifyVolumeEntry(trvns_modifyVolumeEntry_input *in);
    int32_t removeVolumeEntry(trvns_removeVolumeEntry_input *in);
    int32_t initService(trvns_initService_input *in, trvns_initService_output *out);

private:
    using Stub = trvnamespace::TRVNamespaceServer::Stub;

    // One unary call under the deadline: 0 when the gRPC status is OK,
    // `failed` (and a log line with the cause) when the call fails, 22 when
    // a text of the request cannot be sent, in which case nothing is sent.
    template <typename Request, typename Reply>
    int32_t call(grpc::Status (Stub::*rpc)(grpc::ClientContext *, const Request &, Reply *), const Request &request,
                 Reply &reply, int32_t failed);
    // A call whose only result is the reply's retCode; `failed` when the
    // call itself fails.
    template <typename Reply, typename Request>
    int32_t callForRetCode(grpc::Status (Stub::*rpc)(grpc::ClientContext *, const Request &, Reply *),
                           const Request &request, int32_t failed = trvns::status::kNotConnected);

    // One unary call whose reply stays encoded, for replies that can be
    // large; true when the gRPC status is OK.
    template <typename Request>
    int32_t callEncoded(const char *method, const Request &request, grpc::ByteBuffer &reply, int32_t failed);


    // A fresh context for one call: the deadline, and whether the call
    // waits for the connection (see answeredBefore_).
    void prepare(grpc::ClientContext &context);
    // Keeps answeredBefore_ up to date with the outcome of a call.
    void noteOutcome(const grpc::Status &status);

    struct LibraryReference {
        LibraryReference();
        ~LibraryReference();
    };
    // Declared first: taken before the channel exists, given back after it.
    LibraryReference library_;
    std::optional<std::chrono::milliseconds> deadline_;
    // Set once the server has answered a call on this channel: from then
    // on a call that finds the connection lost (the server restarts while
    // a batch holds the client) waits, within its deadline, for gRPC to
    // connect again instead of failing at once.  A client that never
    // reached its server keeps failing fast.  Cleared when such a wait ran
    // out without a connection, so that a server gone for good costs one
    // deadline, not one per call; set again by the next answer.
    bool answeredBefore_ = false;
    std::chrono::steady_clock::time_point lastCallEnd_;
    std::shared_ptr<grpc::Channel> channel_;
    std::unique_ptr<Stub> stub_;
};

#endif
