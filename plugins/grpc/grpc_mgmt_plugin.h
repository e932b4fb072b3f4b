// GrpcMgmtPlugin: the adapter between the plain records of the operations
// table and the gRPC client.  It owns the client from connect to disconnect.
#ifndef TRVNS_GRPC_MGMT_PLUGIN_H
#define TRVNS_GRPC_MGMT_PLUGIN_H

#include <memory>

#include "grpc_mgmt_ops.h"
#include "trvns_mgmt.h"

class GrpcMgmtPlugin {
public:
    GrpcMgmtPlugin() = default;
    GrpcMgmtPlugin(const GrpcMgmtPlugin &) = delete;
    GrpcMgmtPlugin &operator=(const GrpcMgmtPlugin &) = delete;

    int32_t connect(trvns_clientConfig *config);
    int32_t disconnect();
    int32_t objStat(unsigned uid, const char *path, void *out);
    int32_t listAll(const char *nameSpace, int pageNum, int pageSize, void *out);
    int32_t dirStat(unsigned uid, const char *path, void *out);
    int32_t getTarget(unsigned uid, const char *path, trvns_target_list *list, unsigned options);
    int32_t getNamespaces(trvns_getNamespaces_input *in, trvns_namespace_list *list);
    int32_t getNSCifsAttr(trvns_getNSCifsAttr_input *in, trvns_cifs_attr *attr);
    int32_t setNSCifsAttr(trvns_setNSCifsAttr_input *in, trvns_cifs_attr *attr);
    int32_t createNamespace(trvns_createNamespace_input *in);
    int32_t deleteNamespace(trvns_deleteNamespace_input *in);
    int32_t purgeNamespace(trvns_purgeNamespace_input *in);
    int32_t salvageNamespace(trvns_salvageNamespace_input *in);
    int32_t addVolumeEntry(trvns_addVolumeEntry_input *in);
    int32_t modifyVolumeEntry(trvns_modifyVolumeEntry_input *in);
    int32_t removeVolumeEntry(trvns_removeVolumeEntry_input *in);
    int32_t initService(trvns_initService_input *in, trvns_initService_output *out);
    int32_t createJunction(unsigned uid, const char *dirPath, const char *junctionName, const char *targetServer,
                           const char *targetVolume, const char *targetPath, const char *targetType,
                           unsigned options);
    int32_t createDirectory(unsigned uid, const char *dirPath, unsigned options);
    int32_t remove(unsigned uid, const char *path, unsigned options);
    int32_t rename(unsigned uid, const char *path, const char *newName, unsigned options);
    int32_t move(unsigned uid, const char *source, const char *target, unsigned options);
    int32_t trusteeGrant(unsigned uid, const char *path, trvns_trustee *trustee, unsigned options);
    int32_t trusteeRevoke(unsigned uid, const char *path, trvns_trustee *trustee, unsigned options);
    int32_t trusteeList(unsigned uid, const char *path, trvns_trustee_list *list, unsigned options);

private:
    // The client when connected; every operation but connect and
    // disconnect reports a connection failure without one.
    TRVNS_GrpcMgmtOps *connected(const char *operation);

    std::unique_ptr<TRVNS_GrpcMgmtOps> client_;
};

#endif
