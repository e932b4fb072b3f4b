// The TRVNS_MGMT_ operations: argument and version checks, path trimming,
// one slot call on the active plug-in, status pass-through.
#include <cstdlib>
#include <memory>

#include "heap_string.h"
#include "plugin_state.h"
#include "trvns_log.h"
#include "trvns_status_codes.h"

namespace {

using trvns::status::kBadPath;
using trvns::status::kInvalidInput;
using trvns::status::kNoPlugin;
using trvns::status::kVersionMismatch;

using trvns::HeapString;

// How a path operation reports a missing plug-in and a bad path.
struct PathRules {
    int priority;
    const char *nullMessage;
    const char *invalidMessage;
    bool invalidNamesPath;   // the invalid-path message quotes the path
    bool logMissingPlugin;
};

constexpr PathRules kPathRules{LOG_ERR, "path argument is NULL", "Invalid path", false, true};
constexpr PathRules kDirPathRules{LOG_ERR, "dirPath argument is NULL", "Invalid dirPath", false, true};
constexpr PathRules kDirStatRules{LOG_WARNING, "Path argument is NULL", "Path trimming failed", true, true};
constexpr PathRules kObjStatRules{LOG_WARNING, "Path argument is NULL", "Path trimming failed", true, false};

void logNoPlugin(const char *caller) { TRVNS_LOG_AS(caller, LOG_ERR, "No active plugin loaded."); }

// Checks the plug-in and the path, trims it and hands the trimmed path to
// `call` with the shared plug-in lock held.
template <typename SlotCall>
int withTrimmedPath(const char *caller, const PathRules &rules, const char *path, SlotCall call) {
    trvns::ActivePlugin plugin;
    if (plugin.ops() == nullptr) {
        if (rules.logMissingPlugin) logNoPlugin(caller);
        return kNoPlugin;
    }
    if (path == nullptr) {
        TRVNS_LOG_AS(caller, rules.priority, "%s", rules.nullMessage);
        return kBadPath;
    }
    HeapString trimmed(getTrimmedPath(path));
    if (!trimmed) {
        if (rules.invalidNamesPath) {
            TRVNS_LOG_AS(caller, rules.priority, "%s for '%s'", rules.invalidMessage, path);
        } else {
            TRVNS_LOG_AS(caller, rules.priority, "%s", rules.invalidMessage);
        }
        return kBadPath;
    }
    return call(*plugin.ops(), trimmed.get());
}

// Checks a versioned input record, then calls its slot.
template <typename Record, typename SlotCall>
int withVersionedRecord(const char *caller, const char *operation, const Record *in, int versionMismatch,
                        SlotCall call) {
    if (in == nullptr) {
        TRVNS_LOG_AS(caller, LOG_ERR, "Invalid input");
        return kInvalidInput;
    }
    if (in->version != TRVNS_MGMT_API_VERSION) {
        TRVNS_LOG_AS(caller, LOG_ERR, "API version mismatch");
        return versionMismatch;
    }
    trvns::ActivePlugin plugin;
    if (plugin.ops() == nullptr) {
        logNoPlugin(caller);
        return kNoPlugin;
    }
    int status = call(*plugin.ops());
    if (status != 0) TRVNS_LOG_AS(caller, LOG_ERR, "%s returned error %d", operation, status);
    return status;
}

// Volume records carry no version.
template <typename Record, typename SlotCall>
int withVolumeRecord(const char *caller, const Record *in, SlotCall call) {
    if (in == nullptr) {
        TRVNS_LOG_AS(caller, LOG_ERR, "Invalid input");
        return kInvalidInput;
    }
    trvns::ActivePlugin plugin;
    if (plugin.ops() == nullptr) {
        logNoPlugin(caller);
        return kNoPlugin;
    }
    return call(*plugin.ops());
}

}  // namespace

extern "C" {

TRVNS_EXPORT int TRVNS_MGMT_objStat(uint32_t uid, const char *path, trvns_objStat_output *result) {
    return withTrimmedPath(__func__, kObjStatRules, path, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        int status = ops.objStat(uid, p, result);
        printObjStatout(result);
        return status;
    });
}

TRVNS_EXPORT int TRVNS_MGMT_dirStat(uint32_t uid, const char *path, trvns_dirStat_output *result) {
    return withTrimmedPath(__func__, kDirStatRules, path, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        return ops.dirStat(uid, p, result);
    });
}

TRVNS_EXPORT int TRVNS_MGMT_listAll(const char *nameSpace, int32_t pageNum, int32_t pageSize,
                                    trvns_listAll_output *result) {
    trvns::ActivePlugin plugin;
    if (plugin.ops() == nullptr) {
        logNoPlugin(__func__);
        return kNoPlugin;
    }
    if (nameSpace == nullptr) {
        TRVNS_LOG(LOG_WARNING, "Path argument is NULL");
        return kBadPath;
    }
    return plugin.ops()->listAll(nameSpace, pageNum, pageSize, result);
}

TRVNS_EXPORT int TRVNS_MGMT_createJunction(const char *dirPath, const char *junctionName,
                                           const char *targetServer, const char *targetVolume,
                                           const char *targetPath, const char *targetType,
                                           uint32_t options) {
    return withTrimmedPath(__func__, kDirPathRules, dirPath, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        return ops.createJunction(0, p, junctionName, targetServer, targetVolume, targetPath, targetType,
                                  options);
    });
}

TRVNS_EXPORT int TRVNS_MGMT_createDirectory(const char *dirPath, uint32_t options) {
    return withTrimmedPath(__func__, kDirPathRules, dirPath, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        return ops.createDirectory(0, p, options);
    });
}

TRVNS_EXPORT int TRVNS_MGMT_remove(const char *path, uint32_t options) {
    return withTrimmedPath(__func__, kPathRules, path, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        return ops.remove(0, p, options);
    });
}

TRVNS_EXPORT int TRVNS_MGMT_rename(const char *path, const char *newName, uint32_t options) {
    return withTrimmedPath(__func__, kPathRules, path, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        return ops.rename(0, p, newName, options);
    });
}

TRVNS_EXPORT int TRVNS_MGMT_trusteeGrant(const char *path, trvns_trustee *trustee, uint32_t options) {
    return withTrimmedPath(__func__, kPathRules, path, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        return ops.trusteeGrant(0, p, trustee, options);
    });
}

TRVNS_EXPORT int TRVNS_MGMT_trusteeRevoke(const char *path, trvns_trustee *trustee, uint32_t options) {
    return withTrimmedPath(__func__, kPathRules, path, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        return ops.trusteeRevoke(0, p, trustee, options);
    });
}

TRVNS_EXPORT int TRVNS_MGMT_trusteeList(const char *path, trvns_trustee_list *list, uint32_t options) {
    return withTrimmedPath(__func__, kPathRules, path, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        int status = ops.trusteeList(0, p, list, options);
        if (status == 0) {
            printTrusteeList(list);
        } else {
            freeTrusteeList(list);
        }
        return status;
    });
}

TRVNS_EXPORT int TRVNS_MGMT_getTarget(uint32_t uid, const char *path, trvns_target_list *list,
                                      uint32_t options) {
    return withTrimmedPath(__func__, kPathRules, path, [&](const trvns_mgmtPluginOps &ops, const char *p) {
        return ops.getTarget(uid, p, list, options);
    });
}

TRVNS_EXPORT int TRVNS_MGMT_listJunctions(const char * /*path*/, trvns_trustee * /*trustee*/,
                                          uint32_t /*options*/) {
    TRVNS_LOG(LOG_DEBUG, "TRVNS_MGMT_listJunctions called");
    return 0;
}

TRVNS_EXPORT int TRVNS_MGMT_list(const char * /*path*/, trvns_trustee * /*trustee*/, uint32_t /*options*/) {
    TRVNS_LOG(LOG_DEBUG, "TRVNS_MGMT_list called");
    return 0;
}

TRVNS_EXPORT int TRVNS_MGMT_move(const char *source, const char *target, uint32_t options) {
    trvns::ActivePlugin plugin;
    if (plugin.ops() == nullptr) {
        logNoPlugin(__func__);
        return kNoPlugin;
    }
    if (source == nullptr) {
        TRVNS_LOG(LOG_ERR, "source argument is NULL");
        return kBadPath;
    }
    HeapString trimmedSource(getTrimmedPath(source));
    if (!trimmedSource) {
        TRVNS_LOG(LOG_ERR, "Invalid source path");
        return kBadPath;
    }
    if (target == nullptr) {
        TRVNS_LOG(LOG_ERR, "target argument is NULL");
        return kBadPath;
    }
    HeapString trimmedTarget(getTrimmedPath(target));
    if (!trimmedTarget) {
        TRVNS_LOG(LOG_ERR, "Invalid target path");
        return kBadPath;
    }
    return plugin.ops()->move(0, trimmedSource.get(), trimmedTarget.get(), options);
}

TRVNS_EXPORT int TRVNS_MGMT_getNamespaces(trvns_getNamespaces_input *in, trvns_namespace_list *list) {
    return withVersionedRecord(__func__, "getNamespaces", in, kInvalidInput,
                               [&](const trvns_mgmtPluginOps &ops) { return ops.getNamespaces(in, list); });
}

TRVNS_EXPORT int TRVNS_MGMT_getNSCifsAttr(trvns_getNSCifsAttr_input *in, trvns_cifs_attr *attr) {
    return withVersionedRecord(__func__, "getNSCifsAttr", in, kInvalidInput,
                               [&](const trvns_mgmtPluginOps &ops) { return ops.getNSCifsAttr(in, attr); });
}

TRVNS_EXPORT int TRVNS_MGMT_setNSCifsAttr(trvns_setNSCifsAttr_input *in, trvns_cifs_attr *attr) {
    return withVersionedRecord(__func__, "setNSCifsAttr", in, kInvalidInput,
                               [&](const trvns_mgmtPluginOps &ops) { return ops.setNSCifsAttr(in, attr); });
}

TRVNS_EXPORT int TRVNS_MGMT_createNamespace(trvns_createNamespace_input *in) {
    return withVersionedRecord(__func__, "createNamespace", in, kInvalidInput,
                               [&](const trvns_mgmtPluginOps &ops) { return ops.createNamespace(in); });
}

TRVNS_EXPORT int TRVNS_MGMT_deleteNamespace(trvns_deleteNamespace_input *in) {
    return withVersionedRecord(__func__, "deleteNamespace", in, kInvalidInput,
                               [&](const trvns_mgmtPluginOps &ops) { return ops.deleteNamespace(in); });
}

TRVNS_EXPORT int TRVNS_MGMT_purgeNamespace(trvns_purgeNamespace_input *in) {
    return withVersionedRecord(__func__, "purgeNamespace", in, kInvalidInput,
                               [&](const trvns_mgmtPluginOps &ops) { return ops.purgeNamespace(in); });
}

TRVNS_EXPORT int TRVNS_MGMT_salvageNamespace(trvns_salvageNamespace_input *in) {
    return withVersionedRecord(__func__, "salvageNamespace", in, kInvalidInput,
                               [&](const trvns_mgmtPluginOps &ops) { return ops.salvageNamespace(in); });
}

TRVNS_EXPORT int TRVNS_MGMT_initService(trvns_initService_input *in, trvns_initService_output *out) {
    return withVersionedRecord(__func__, "initService", in, kVersionMismatch,
                               [&](const trvns_mgmtPluginOps &ops) { return ops.initService(in, out); });
}

TRVNS_EXPORT int TRVNS_MGMT_addVolumeEntry(trvns_addVolumeEntry_input *in) {
    return withVolumeRecord(__func__, in, [&](const trvns_mgmtPluginOps &ops) { return ops.addVolumeEntry(in); });
}

TRVNS_EXPORT int TRVNS_MGMT_modifyVolumeEntry(trvns_modifyVolumeEntry_input *in) {
    return withVolumeRecord(__func__, in,
                            [&](const trvns_mgmtPluginOps &ops) { return ops.modifyVolumeEntry(in); });
}

TRVNS_EXPORT int TRVNS_MGMT_removeVolumeEntry(trvns_removeVolumeEntry_input *in) {
    return withVolumeRecord(__func__, in,
                            [&](const trvns_mgmtPluginOps &ops) { return ops.removeVolumeEntry(in); });
}

TRVNS_EXPORT void TRVNS_MGMT_freeTrusteeList(trvns_trustee_list *list) {
    TRVNS_LOG(LOG_DEBUG, "TRVNS_MGMT_freeTrusteeList called");
    freeTrusteeList(list);
}

TRVNS_EXPORT void TRVNS_MGMT_freeTargetList(trvns_target_list *list) {
    TRVNS_LOG(LOG_DEBUG, "TRVNS_MGMT_freeTargetList called");
    freeTargetList(list);
}

TRVNS_EXPORT void TRVNS_MGMT_freeNamespaceList(trvns_namespace_list *list) {
    TRVNS_LOG(LOG_DEBUG, "TRVNS_MGMT_freeNamespaceList called");
    freeNamespaceList(list);
}

TRVNS_EXPORT void TRVNS_MGMT_freeDirStatout(trvns_dirStat_output *out) { freeDirStatout(out); }

TRVNS_EXPORT void TRVNS_MGMT_freeObjStatout(trvns_objStat_output *out) { freeObjStatout(out); }

TRVNS_EXPORT void TRVNS_MGMT_freeCifsAttr(trvns_cifs_attr *attr) { freeCifsAttr(attr); }

}  // extern "C"
