/*
 * Public interface of the TRVNS management API (libtrvnsmgmt).
 *
 * Plain fixed-layout records shared by the program, the library and the
 * transport plug-in, the plug-in operations table, and every exported
 * function of the library.  Records cross a dlopen boundary: no
 * constructors, no owning pointers; heap blocks are malloc/strdup'ed by the
 * plug-in and released with free() through the free functions below.
 */
#ifndef TRVNS_MGMT_H
#define TRVNS_MGMT_H

#include <stdint.h>
#include <sys/stat.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TRVNS_EXPORT __attribute__((visibility("default")))

/* The result printers and free functions are linked into the plug-in as
 * well, where its version script keeps them local. */
#define TRVNS_PRINTER_API TRVNS_EXPORT

#define TRVNS_MGMT_API_VERSION 1

/* Bit 0 of the flags of the stat results: the server reports a folder. */
#define TRVNS_FLAG_ISDIR 0x1u

/* ---- Records ----------------------------------------------------------- */

typedef struct trvns_clientConfig {
    char *server;
    char *port;
    char *clientCertPath;
} trvns_clientConfig;

typedef struct trvns_trustee {
    char *name;
    char *guid;
    uint32_t type;
    uint32_t rights;
} trvns_trustee;

typedef struct trvns_trustee_list {
    uint64_t count;
    trvns_trustee *trustees;
} trvns_trustee_list;

typedef struct trvns_target {
    char *server;
    char *path;
    char *volume;
    int32_t type;
    int32_t status;
} trvns_target;

typedef struct trvns_target_list {
    uint16_t count;
    trvns_target *targets;
} trvns_target_list;

typedef struct trvns_namespace {
    char *name;
    uint32_t flags;
    int64_t number3;
    int64_t number1;
    int64_t number2;
    char *cifsAttr;
    char *trvnsAttr;
} trvns_namespace;

typedef struct trvns_namespace_list {
    uint16_t count;
    trvns_namespace *namespaces;
} trvns_namespace_list;

typedef struct trvns_cifs_attr {
    char *cifsAttr;
} trvns_cifs_attr;

/* Versioned input records: version must equal TRVNS_MGMT_API_VERSION. */
typedef struct trvns_getNamespaces_input {
    uint32_t version;
    uint32_t uid;
    char *server;
    uint32_t options;
} trvns_getNamespaces_input;

typedef struct trvns_getNSCifsAttr_input {
    uint32_t version;
    uint32_t uid;
    char *name_space;
    uint32_t options;
} trvns_getNSCifsAttr_input;

typedef struct trvns_setNSCifsAttr_input {
    uint32_t version;
    uint32_t uid;
    char *name_space;
    uint32_t options;
} trvns_setNSCifsAttr_input;

typedef struct trvns_createNamespace_input {
    uint32_t version;
    char *name;
    uint32_t uid;
    char *attribute1;
    char *attribute2;
    uint32_t options;
} trvns_createNamespace_input;

typedef struct trvns_deleteNamespace_input {
    uint32_t version;
    char *name;
    uint32_t uid;
    uint32_t options;
} trvns_deleteNamespace_input;

typedef struct trvns_purgeNamespace_input {
    uint32_t version;
    char *name;
    uint32_t uid;
    uint32_t options;
} trvns_purgeNamespace_input;

typedef struct trvns_salvageNamespace_input {
    uint32_t version;
    char *name;
    uint32_t uid;
    uint32_t options;
} trvns_salvageNamespace_input;

typedef struct trvns_initService_input {
    uint32_t version;
    char *principal;
    uint32_t options;
} trvns_initService_input;

/* Declared for the full initService signature; no component reads or
 * writes it, so it stays opaque and callers pass a null pointer. */
typedef struct trvns_initService_output trvns_initService_output;

/* Unversioned volume-entry records; a null field means "not given". */
typedef struct trvns_addVolumeEntry_input {
    char *volumeName;
    char *serverName;
    char *targetType;
    char *nameSpace;
} trvns_addVolumeEntry_input;

typedef struct trvns_modifyVolumeEntry_input {
    char *oldVolumeName;
    char *newVolumeName;
    char *serverName;
    char *targetType;
} trvns_modifyVolumeEntry_input;

typedef struct trvns_removeVolumeEntry_input {
    char *volumeName;
    char *serverName;
    char *targetType;
} trvns_removeVolumeEntry_input;

/* Results handed through the table as void*. */
typedef struct trvns_stat_element {
    char *name;
    struct stat *st;
} trvns_stat_element;

typedef struct trvns_dirStat_output {
    uint64_t count;
    uint64_t flags;
    trvns_stat_element *elements;
} trvns_dirStat_output;

typedef struct trvns_objStat_output {
    uint64_t count;
    uint64_t flags;
    struct stat st;
} trvns_objStat_output;

typedef struct trvns_junction_entry {
    char *folderName;
    char *junctionName;
    char *targetPath;
} trvns_junction_entry;

typedef struct trvns_listAll_output {
    int32_t totalJunctions;
    int32_t count;
    trvns_junction_entry *entries;
} trvns_listAll_output;

/* ---- Plug-in operations table ------------------------------------------ */

typedef struct trvns_mgmtPluginOps {
    int32_t (*connect)(trvns_clientConfig *config);
    int32_t (*disconnect)(void);
    int32_t (*objStat)(uint32_t uid, const char *path, void *result);
    int32_t (*dirStat)(uint32_t uid, const char *path, void *result);
    int32_t (*listAll)(const char *nameSpace, int32_t pageNum, int32_t pageSize, void *result);
    int32_t (*createJunction)(uint32_t uid, const char *dirPath, const char *junctionName,
                              const char *targetServer, const char *targetVolume,
                              const char *targetPath, const char *targetType, uint32_t options);
    int32_t (*createDirectory)(uint32_t uid, const char *dirPath, uint32_t options);
    int32_t (*remove)(uint32_t uid, const char *path, uint32_t options);
    int32_t (*rename)(uint32_t uid, const char *path, const char *newName, uint32_t options);
    int32_t (*trusteeGrant)(uint32_t uid, const char *path, trvns_trustee *trustee, uint32_t options);
    int32_t (*trusteeRevoke)(uint32_t uid, const char *path, trvns_trustee *trustee, uint32_t options);
    int32_t (*trusteeList)(uint32_t uid, const char *path, trvns_trustee_list *list, uint32_t options);
    int32_t (*getTarget)(uint32_t uid, const char *path, trvns_target_list *list, uint32_t options);
    int32_t (*listJunctions)(uint32_t uid, const char *path, trvns_trustee *trustee, uint32_t options);
    int32_t (*list)(uint32_t uid, const char *path, trvns_trustee *trustee, uint32_t options);
    int32_t (*move)(uint32_t uid, const char *source, const char *target, uint32_t options);
    int32_t (*getNamespaces)(trvns_getNamespaces_input *in, trvns_namespace_list *list);
    int32_t (*setNSCifsAttr)(trvns_setNSCifsAttr_input *in, trvns_cifs_attr *attr);
    int32_t (*getNSCifsAttr)(trvns_getNSCifsAttr_input *in, trvns_cifs_attr *attr);
    int32_t (*createNamespace)(trvns_createNamespace_input *in);
    int32_t (*deleteNamespace)(trvns_deleteNamespace_input *in);
    int32_t (*purgeNamespace)(trvns_purgeNamespace_input *in);
    int32_t (*salvageNamespace)(trvns_salvageNamespace_input *in);
    int32_t (*addVolumeEntry)(trvns_addVolumeEntry_input *in);
    int32_t (*modifyVolumeEntry)(trvns_modifyVolumeEntry_input *in);
    int32_t (*removeVolumeEntry)(trvns_removeVolumeEntry_input *in);
    int32_t (*initService)(trvns_initService_input *in, trvns_initService_output *out);
} trvns_mgmtPluginOps;

#define TRVNS_PLUGIN_OPS_SLOTS 27
#ifdef __cplusplus
static_assert(sizeof(trvns_mgmtPluginOps) == TRVNS_PLUGIN_OPS_SLOTS * sizeof(void (*)(void)),
              "the plug-in operations table has exactly 27 slots");
#else
_Static_assert(sizeof(trvns_mgmtPluginOps) == TRVNS_PLUGIN_OPS_SLOTS * sizeof(void (*)(void)),
               "the plug-in operations table has exactly 27 slots");
#endif

/* The one symbol a plug-in exports. */
typedef trvns_mgmtPluginOps *(*trvns_getMgmtPluginOps_fn)(void);
#define TRVNS_PLUGIN_ENTRY_SYMBOL "getMgmtPluginOps"

/* ---- Configuration and logging ------------------------------------------ */

TRVNS_EXPORT void setConfigFile(const char *path);
TRVNS_EXPORT char *getConfigValue(const char *section, const char *key);
TRVNS_EXPORT int getLogMask(const char *level);
TRVNS_EXPORT void setLogLevelFromServerConfig(void);

/* ---- Plug-in loader and watcher ----------------------------------------- */

TRVNS_EXPORT int loadPlugin(const char *fileName);
TRVNS_EXPORT void unloadPlugin(void);
TRVNS_EXPORT void *watchPlugins(void *arg);
TRVNS_EXPORT int startPluginWatcher(void);
TRVNS_EXPORT void stopPluginWatcher(void);

/* ---- Lifecycle, connection and paths ------------------------------------ */

TRVNS_EXPORT void init_function(void);
TRVNS_EXPORT void cleanup_function(void);
TRVNS_EXPORT int trvnsClientStart(void);
TRVNS_EXPORT void trvnsClientStop(void);
TRVNS_EXPORT int connectTrvNS(void);
TRVNS_EXPORT int disconnectTrvNS(void);
TRVNS_EXPORT int TRVNS_MGMT_connectTrvNS(void);
TRVNS_EXPORT int TRVNS_MGMT_disconnectTrvNS(void);
TRVNS_EXPORT char *getTrimmedPath(const char *path);

/* ---- Operations ---------------------------------------------------------- */

TRVNS_EXPORT int TRVNS_MGMT_objStat(uint32_t uid, const char *path, trvns_objStat_output *result);
TRVNS_EXPORT int TRVNS_MGMT_listAll(const char *nameSpace, int32_t pageNum, int32_t pageSize,
                                    trvns_listAll_output *result);
TRVNS_EXPORT int TRVNS_MGMT_dirStat(uint32_t uid, const char *path, trvns_dirStat_output *result);
TRVNS_EXPORT int TRVNS_MGMT_createJunction(const char *dirPath, const char *junctionName,
                                           const char *targetServer, const char *targetVolume,
                                           const char *targetPath, const char *targetType,
                                           uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_createDirectory(const char *dirPath, uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_remove(const char *path, uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_rename(const char *path, const char *newName, uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_trusteeGrant(const char *path, trvns_trustee *trustee, uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_trusteeRevoke(const char *path, trvns_trustee *trustee, uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_trusteeList(const char *path, trvns_trustee_list *list, uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_getTarget(uint32_t uid, const char *path, trvns_target_list *list,
                                      uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_listJunctions(const char *path, trvns_trustee *trustee, uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_list(const char *path, trvns_trustee *trustee, uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_move(const char *source, const char *target, uint32_t options);
TRVNS_EXPORT int TRVNS_MGMT_getNamespaces(trvns_getNamespaces_input *in, trvns_namespace_list *list);
TRVNS_EXPORT int TRVNS_MGMT_getNSCifsAttr(trvns_getNSCifsAttr_input *in, trvns_cifs_attr *attr);
TRVNS_EXPORT int TRVNS_MGMT_setNSCifsAttr(trvns_setNSCifsAttr_input *in, trvns_cifs_attr *attr);
TRVNS_EXPORT int TRVNS_MGMT_createNamespace(trvns_createNamespace_input *in);
TRVNS_EXPORT int TRVNS_MGMT_deleteNamespace(trvns_deleteNamespace_input *in);
TRVNS_EXPORT int TRVNS_MGMT_purgeNamespace(trvns_purgeNamespace_input *in);
TRVNS_EXPORT int TRVNS_MGMT_salvageNamespace(trvns_salvageNamespace_input *in);
TRVNS_EXPORT int TRVNS_MGMT_addVolumeEntry(trvns_addVolumeEntry_input *in);
TRVNS_EXPORT int TRVNS_MGMT_modifyVolumeEntry(trvns_modifyVolumeEntry_input *in);
TRVNS_EXPORT int TRVNS_MGMT_removeVolumeEntry(trvns_removeVolumeEntry_input *in);
TRVNS_EXPORT int TRVNS_MGMT_initService(trvns_initService_input *in, trvns_initService_output *out);

TRVNS_EXPORT void TRVNS_MGMT_freeTrusteeList(trvns_trustee_list *list);
TRVNS_EXPORT void TRVNS_MGMT_freeTargetList(trvns_target_list *list);
TRVNS_EXPORT void TRVNS_MGMT_freeNamespaceList(trvns_namespace_list *list);
TRVNS_EXPORT void TRVNS_MGMT_freeDirStatout(trvns_dirStat_output *out);
TRVNS_EXPORT void TRVNS_MGMT_freeObjStatout(trvns_objStat_output *out);
TRVNS_EXPORT void TRVNS_MGMT_freeCifsAttr(trvns_cifs_attr *attr);

/* ---- Status texts --------------------------------------------------------- */

#define TRVNS_MODULE_NAMESPACE 1
#define TRVNS_MODULE_VOLUME 3

TRVNS_EXPORT const char *trvns_mgmt_get_error_message(int moduleType, int code);
TRVNS_EXPORT int trvns_mgmt_get_posix_error_code(int moduleType, int code);

/* ---- Result printers and free functions ----------------------------------- */

TRVNS_PRINTER_API void printObjStatout(trvns_objStat_output *out);
TRVNS_PRINTER_API void printStat(struct stat *st);
TRVNS_PRINTER_API void printDirStatout(trvns_dirStat_output *out);
TRVNS_PRINTER_API void printStatElement(trvns_stat_element *element);
TRVNS_PRINTER_API void printStat_1(struct stat *st, const char *name, int isDir);
TRVNS_PRINTER_API void printListAllJunctionsout(trvns_listAll_output *out, int pageNum, int pageSize);
TRVNS_PRINTER_API void printListAllJunctionsElement(trvns_junction_entry *entry, int index);
TRVNS_PRINTER_API void printTrusteeList(trvns_trustee_list *list);
TRVNS_PRINTER_API void printTrustee(trvns_trustee *trustee);
TRVNS_PRINTER_API void printTargetList(trvns_target_list *list);
TRVNS_PRINTER_API void printTarget(trvns_target *target);
TRVNS_PRINTER_API void printNamespaceList(trvns_namespace_list *list);
TRVNS_PRINTER_API void printNamespace(trvns_namespace *ns);

TRVNS_PRINTER_API void freeObjStatout(trvns_objStat_output *out);
TRVNS_PRINTER_API void freeDirStatout(trvns_dirStat_output *out);
TRVNS_PRINTER_API void freeStatElement(trvns_stat_element *element);
TRVNS_PRINTER_API void freeTrusteeList(trvns_trustee_list *list);
TRVNS_PRINTER_API void freeTrustee(trvns_trustee *trustee);
TRVNS_PRINTER_API void freeTargetList(trvns_target_list *list);
TRVNS_PRINTER_API void freeTarget(trvns_target *target);
TRVNS_PRINTER_API void freeNamespaceList(trvns_namespace_list *list);
TRVNS_PRINTER_API void freeNamespace(trvns_namespace *ns);
TRVNS_PRINTER_API void freeCifsAttr(trvns_cifs_attr *attr);

#ifdef __cplusplus
}
#endif

#endif /* TRVNS_MGMT_H */
