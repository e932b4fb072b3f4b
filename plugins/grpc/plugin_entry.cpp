// The plug-in's face: getMgmtPluginOps and the 27 GRPCMGMT_ forwarders of
// the operations table, each logging its arguments and handing the call to
// the one adapter object.  No exception leaves this file.
#include <grpc/support/log.h>

#include <exception>
#include <new>

#include "grpc_mgmt_plugin.h"
#include "trvns_log.h"
#include "trvns_status_codes.h"

#define GRPCMGMT_API extern "C" __attribute__((visibility("default")))

namespace {

using trvns::status::kInvalidInput;
using trvns::status::kInternalFailure;

// Constructed at load and never destroyed: gRPC may still run at exit.
GrpcMgmtPlugin &adapter() {
    static GrpcMgmtPlugin *instance = new GrpcMgmtPlugin();
    return *instance;
}
[[maybe_unused]] GrpcMgmtPlugin &gAdapterAtLoad = adapter();

// Runs one adapter call, turning any exception into a status.
template <typename Call>
int32_t guarded(const char *caller, Call call) {
    try {
        return call();
    } catch (const std::bad_alloc &) {
        TRVNS_LOG_AS(caller, LOG_ERR, "out of memory");
    } catch (const std::exception &failure) {
        TRVNS_LOG_AS(caller, LOG_ERR, "failed: %s", failure.what());
    } catch (...) {
        TRVNS_LOG_AS(caller, LOG_ERR, "failed with an unknown exception");
    }
    return kInternalFailure;
}

template <typename Record>
bool versionMatches(const Record *in) {
    return in != nullptr && in->version == TRVNS_MGMT_API_VERSION;
}

const char *nameOf(const trvns_trustee *trustee) { return trvnsOrNull(trustee ? trustee->name : nullptr); }

}  // namespace

namespace {

// gRPC's own diagnostics (a failed TLS handshake, say) go to the system log
// with the plug-in's messages instead of onto the administrator's terminal.
void logGrpcMessage(gpr_log_func_args *args) {
    int priority = args->severity == GPR_LOG_SEVERITY_ERROR  ? LOG_ERR
                   : args->severity == GPR_LOG_SEVERITY_INFO ? LOG_INFO
                                                             : LOG_DEBUG;
    syslog(priority, "grpc %s:%d: %s", args->file, args->line, args->message);
}

}  // namespace

extern "C" __attribute__((constructor, visibility("default"))) void grpcMgmtPlugin_init_function() {
    TRVNS_LOG(LOG_DEBUG, "grpc init function called");
    gpr_set_log_function(logGrpcMessage);
}

extern "C" __attribute__((destructor, visibility("default"))) void grpcMgmtPlugin_cleanup_function() {
    TRVNS_LOG(LOG_DEBUG, "GRPC cleanup function called");
}

GRPCMGMT_API int32_t GRPCMGMT_connect(trvns_clientConfig *config) {
    TRVNS_LOG(LOG_DEBUG, "called with server=%s, port=%s, clientCertPath=%s",
              trvnsOrNull(config ? config->server : nullptr), trvnsOrNull(config ? config->port : nullptr),
              trvnsOrNull(config ? config->clientCertPath : nullptr));
    if (config == nullptr) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().connect(config); });
}

GRPCMGMT_API int32_t GRPCMGMT_disconnect() {
    TRVNS_LOG(LOG_DEBUG, "called with (disconnect)");
    return guarded(__func__, [&] { return adapter().disconnect(); });
}

GRPCMGMT_API int32_t GRPCMGMT_objStat(uint32_t uid, const char *path, void *result) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s", uid, trvnsOrNull(path));
    return guarded(__func__, [&] { return adapter().objStat(uid, path, result); });
}

GRPCMGMT_API int32_t GRPCMGMT_dirStat(uint32_t uid, const char *path, void *result) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s", uid, trvnsOrNull(path));
    return guarded(__func__, [&] { return adapter().dirStat(uid, path, result); });
}

GRPCMGMT_API int32_t GRPCMGMT_listAll(const char *nameSpace, int32_t pageNum, int32_t pageSize, void *result) {
    return guarded(__func__, [&] { return adapter().listAll(nameSpace, pageNum, pageSize, result); });
}

GRPCMGMT_API int32_t GRPCMGMT_createJunction(uint32_t uid, const char *dirPath, const char *junctionName,
                                             const char *targetServer, const char *targetVolume,
                                             const char *targetPath, const char *targetType, uint32_t options) {
    TRVNS_LOG(LOG_DEBUG,
              "called with uid=%d, dirPath=%s, junctionName=%s, targetServer=%s, targetVolume=%s, targetPath=%s, "
              "targetType=%s, options=%u",
              uid, trvnsOrNull(dirPath), trvnsOrNull(junctionName), trvnsOrNull(targetServer),
              trvnsOrNull(targetVolume), trvnsOrNull(targetPath), trvnsOrNull(targetType), options);
    return guarded(__func__, [&] {
        return adapter().createJunction(uid, dirPath, junctionName, targetServer, targetVolume, targetPath,
                                        targetType, options);
    });
}

GRPCMGMT_API int32_t GRPCMGMT_createDirectory(uint32_t uid, const char *dirPath, uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, dirPath=%s, options=%u", uid, trvnsOrNull(dirPath), options);
    return guarded(__func__, [&] { return adapter().createDirectory(uid, dirPath, options); });
}

GRPCMGMT_API int32_t GRPCMGMT_remove(uint32_t uid, const char *path, uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s, options=%u", uid, trvnsOrNull(path), options);
    return guarded(__func__, [&] { return adapter().remove(uid, path, options); });
}

GRPCMGMT_API int32_t GRPCMGMT_rename(uint32_t uid, const char *path, const char *newName, uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s, newName=%s, options=%u", uid, trvnsOrNull(path),
              trvnsOrNull(newName), options);
    return guarded(__func__, [&] { return adapter().rename(uid, path, newName, options); });
}

GRPCMGMT_API int32_t GRPCMGMT_trusteeGrant(uint32_t uid, const char *path, trvns_trustee *trustee,
                                           uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s, trusteeName=%s, options=%u", uid, trvnsOrNull(path),
              nameOf(trustee), options);
    return guarded(__func__, [&] { return adapter().trusteeGrant(uid, path, trustee, options); });
}

GRPCMGMT_API int32_t GRPCMGMT_trusteeRevoke(uint32_t uid, const char *path, trvns_trustee *trustee,
                                            uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s, trusteeName=%s, options=%u", uid, trvnsOrNull(path),
              nameOf(trustee), options);
    return guarded(__func__, [&] { return adapter().trusteeRevoke(uid, path, trustee, options); });
}

GRPCMGMT_API int32_t GRPCMGMT_trusteeList(uint32_t uid, const char *path, trvns_trustee_list *list,
                                          uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s, options=%u", uid, trvnsOrNull(path), options);
    return guarded(__func__, [&] { return adapter().trusteeList(uid, path, list, options); });
}

GRPCMGMT_API int32_t GRPCMGMT_getTarget(uint32_t uid, const char *path, trvns_target_list *list, uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s, options=%u", uid, trvnsOrNull(path), options);
    return guarded(__func__, [&] { return adapter().getTarget(uid, path, list, options); });
}

GRPCMGMT_API int32_t GRPCMGMT_listJunctions(uint32_t uid, const char *path, trvns_trustee *trustee,
                                            uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s, trusteeName=%s, options=%u", uid, trvnsOrNull(path),
              nameOf(trustee), options);
    return 0;
}

GRPCMGMT_API int32_t GRPCMGMT_list(uint32_t uid, const char *path, trvns_trustee *trustee, uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, path=%s, trusteeName=%s, options=%u", uid, trvnsOrNull(path),
              nameOf(trustee), options);
    return 0;
}

GRPCMGMT_API int32_t GRPCMGMT_move(uint32_t uid, const char *source, const char *target, uint32_t options) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, source=%s, target=%s, options=%u", uid, trvnsOrNull(source),
              trvnsOrNull(target), options);
    return guarded(__func__, [&] { return adapter().move(uid, source, target, options); });
}

GRPCMGMT_API int32_t GRPCMGMT_getNamespaces(trvns_getNamespaces_input *in, trvns_namespace_list *list) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, server=%s, options=%u", in ? static_cast<int>(in->uid) : -1,
              trvnsOrNull(in ? in->server : nullptr), in ? in->options : 0);
    if (!versionMatches(in)) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().getNamespaces(in, list); });
}

GRPCMGMT_API int32_t GRPCMGMT_setNSCifsAttr(trvns_setNSCifsAttr_input *in, trvns_cifs_attr *attr) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, name_space=%s, options=%u, cifsAttr=%s",
              in ? static_cast<int>(in->uid) : -1, trvnsOrNull(in ? in->name_space : nullptr), in ? in->options : 0,
              trvnsOrNull(attr ? attr->cifsAttr : nullptr));
    if (!versionMatches(in)) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().setNSCifsAttr(in, attr); });
}

GRPCMGMT_API int32_t GRPCMGMT_getNSCifsAttr(trvns_getNSCifsAttr_input *in, trvns_cifs_attr *attr) {
    TRVNS_LOG(LOG_DEBUG, "called with uid=%d, name_space=%s, options=%u", in ? static_cast<int>(in->uid) : -1,
              trvnsOrNull(in ? in->name_space : nullptr), in ? in->options : 0);
    if (!versionMatches(in)) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().getNSCifsAttr(in, attr); });
}

GRPCMGMT_API int32_t GRPCMGMT_createNamespace(trvns_createNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, options=%u", trvnsOrNull(in ? in->name : nullptr),
              in ? in->options : 0);
    if (!versionMatches(in)) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().createNamespace(in); });
}

GRPCMGMT_API int32_t GRPCMGMT_deleteNamespace(trvns_deleteNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, options=%u", trvnsOrNull(in ? in->name : nullptr),
              in ? in->options : 0);
    if (!versionMatches(in)) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().deleteNamespace(in); });
}

GRPCMGMT_API int32_t GRPCMGMT_purgeNamespace(trvns_purgeNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, options=%u", trvnsOrNull(in ? in->name : nullptr),
              in ? in->options : 0);
    if (!versionMatches(in)) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().purgeNamespace(in); });
}

GRPCMGMT_API int32_t GRPCMGMT_salvageNamespace(trvns_salvageNamespace_input *in) {
    syslog(LOG_DEBUG, "called with name=%s, options=%u", trvnsOrNull(in ? in->name : nullptr), in ? in->options : 0);
    if (!versionMatches(in)) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().salvageNamespace(in); });
}

// The volume records carry no version; a null record is refused.
GRPCMGMT_API int32_t GRPCMGMT_addVolumeEntry(trvns_addVolumeEntry_input *in) {
    syslog(LOG_DEBUG, "called with volumeName=%s, serverName=%s, targetType=%s, nameSpace=%s",
           trvnsOrNull(in ? in->volumeName : nullptr), trvnsOrNull(in ? in->serverName : nullptr),
           trvnsOrNull(in ? in->targetType : nullptr), trvnsOrNull(in ? in->nameSpace : nullptr));
    if (in == nullptr) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().addVolumeEntry(in); });
}

GRPCMGMT_API int32_t GRPCMGMT_modifyVolumeEntry(trvns_modifyVolumeEntry_input *in) {
    syslog(LOG_DEBUG, "called with oldVolumeName=%s, newVolumeName=%s, serverName=%s",
           trvnsOrNull(in ? in->oldVolumeName : nullptr), trvnsOrNull(in ? in->newVolumeName : nullptr),
           trvnsOrNull(in ? in->serverName : nullptr));
    if (in == nullptr) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().modifyVolumeEntry(in); });
}

GRPCMGMT_API int32_t GRPCMGMT_removeVolumeEntry(trvns_removeVolumeEntry_input *in) {
    syslog(LOG_DEBUG, "called with volumeName=%s, serverName=%s", trvnsOrNull(in ? in->volumeName : nullptr),
           trvnsOrNull(in ? in->serverName : nullptr));
    if (in == nullptr) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().removeVolumeEntry(in); });
}

GRPCMGMT_API int32_t GRPCMGMT_initService(trvns_initService_input *in, trvns_initService_output *out) {
    syslog(LOG_DEBUG, "called with principal=%s, options=%u", trvnsOrNull(in ? in->principal : nullptr),
           in ? in->options : 0);
    if (!versionMatches(in)) return kInvalidInput;
    return guarded(__func__, [&] { return adapter().initService(in, out); });
}

namespace {

trvns_mgmtPluginOps kOperations = {
    GRPCMGMT_connect,          GRPCMGMT_disconnect,        GRPCMGMT_objStat,          GRPCMGMT_dirStat,
    GRPCMGMT_listAll,          GRPCMGMT_createJunction,    GRPCMGMT_createDirectory,  GRPCMGMT_remove,
    GRPCMGMT_rename,           GRPCMGMT_trusteeGrant,      GRPCMGMT_trusteeRevoke,    GRPCMGMT_trusteeList,
    GRPCMGMT_getTarget,        GRPCMGMT_listJunctions,     GRPCMGMT_list,             GRPCMGMT_move,
    GRPCMGMT_getNamespaces,    GRPCMGMT_setNSCifsAttr,     GRPCMGMT_getNSCifsAttr,    GRPCMGMT_createNamespace,
    GRPCMGMT_deleteNamespace,  GRPCMGMT_purgeNamespace,    GRPCMGMT_salvageNamespace, GRPCMGMT_addVolumeEntry,
    GRPCMGMT_modifyVolumeEntry, GRPCMGMT_removeVolumeEntry, GRPCMGMT_initService,
};

}  // namespace

GRPCMGMT_API trvns_mgmtPluginOps *getMgmtPluginOps() { return &kOperations; }
