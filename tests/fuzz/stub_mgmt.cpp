#include "stub_mgmt.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "trvns_mgmt.h"

namespace fuzzstub {

State &state() {
    static State current;
    return current;
}

void reset(int status) {
    state() = State();
    state().status = status;
}

}  // namespace fuzzstub

namespace {

using fuzzstub::state;

constexpr int kEntries = 2;

// Every operation: must run between connect and disconnect; reads each
// string it is given in full.
int operation(std::initializer_list<const char *> paths, std::initializer_list<const char *> texts = {}) {
    if (!state().connected) state().callWithoutConnection = true;
    for (const char *path : paths) {
        if (path != nullptr) state().paths.emplace_back(path);
    }
    for (const char *text : texts) {
        if (text != nullptr) (void)strlen(text);
    }
    return state().status;
}

// Records a result that the program must hand back to a free function.
bool succeeded(int status, const void *record) {
    if (status != 0) return false;
    state().unfreedResults.insert(record);
    return true;
}

// Freeing a record that was never filled (still empty) is allowed.
void released(const void *record) { state().unfreedResults.erase(record); }

char *text(const char *value) { return strdup(value); }

}  // namespace

extern "C" {

int TRVNS_MGMT_connectTrvNS(void) {
    if (state().status == 112) return 112;
    state().connected = true;
    return 0;
}

int TRVNS_MGMT_disconnectTrvNS(void) {
    state().connected = false;
    return 0;
}

int TRVNS_MGMT_objStat(uint32_t, const char *path, trvns_objStat_output *result) {
    int status = operation({path});
    if (status == 0) {
        result->count = 1;
        result->flags = TRVNS_FLAG_ISDIR;
        memset(&result->st, 0, sizeof result->st);
        result->st.st_mode = S_IFDIR | 0755;
    }
    return status;
}

int TRVNS_MGMT_dirStat(uint32_t, const char *path, trvns_dirStat_output *result) {
    int status = operation({path});
    if (succeeded(status, result)) {
        result->count = kEntries;
        result->flags = TRVNS_FLAG_ISDIR;
        result->elements = static_cast<trvns_stat_element *>(calloc(kEntries, sizeof(trvns_stat_element)));
        for (int i = 0; i < kEntries; ++i) {
            result->elements[i].name = text(i == 0 ? "." : "child");
            result->elements[i].st = static_cast<struct stat *>(calloc(1, sizeof(struct stat)));
        }
    }
    return status;
}

int TRVNS_MGMT_listAll(const char *nameSpace, int32_t, int32_t pageSize, trvns_listAll_output *result) {
    int status = operation({}, {nameSpace});
    if (status == 0) {
        int count = pageSize > 0 && pageSize < kEntries ? pageSize : kEntries;
        result->totalJunctions = count;
        result->count = count;
        result->entries = static_cast<trvns_junction_entry *>(calloc(count, sizeof(trvns_junction_entry)));
        for (int i = 0; i < count; ++i) {
            result->entries[i] = {text("/NS1/home"), text("j"), text("/vol/path")};
        }
    }
    return status;
}

int TRVNS_MGMT_createJunction(const char *dirPath, const char *junctionName, const char *targetServer,
                              const char *targetVolume, const char *targetPath, const char *targetType,
                              uint32_t) {
    return operation({dirPath}, {junctionName, targetServer, targetVolume, targetPath, targetType});
}

int TRVNS_MGMT_createDirectory(const char *dirPath, uint32_t) { return operation({dirPath}); }
int TRVNS_MGMT_remove(const char *path, uint32_t) { return operation({path}); }
int TRVNS_MGMT_rename(const char *path, const char *newName, uint32_t) { return operation({path}, {newName}); }
int TRVNS_MGMT_move(const char *source, const char *target, uint32_t) { return operation({source, target}); }

int TRVNS_MGMT_trusteeGrant(const char *path, trvns_trustee *trustee, uint32_t) {
    return operation({path}, {trustee->name, trustee->guid});
}

int TRVNS_MGMT_trusteeRevoke(const char *path, trvns_trustee *trustee, uint32_t) {
    return operation({path}, {trustee->name, trustee->guid});
}

int TRVNS_MGMT_trusteeList(const char *path, trvns_trustee_list *list, uint32_t) {
    int status = operation({path});
    if (succeeded(status, list)) {
        list->count = kEntries;
        list->trustees = static_cast<trvns_trustee *>(calloc(kEntries, sizeof(trvns_trustee)));
        for (int i = 0; i < kEntries; ++i) list->trustees[i] = {text(".admin.org.TREE."), text("1234567"), 1, 123};
    }
    return status;
}

int TRVNS_MGMT_getTarget(uint32_t, const char *path, trvns_target_list *list, uint32_t) {
    int status = operation({path});
    if (succeeded(status, list)) {
        list->count = 1;
        list->targets = static_cast<trvns_target *>(calloc(1, sizeof(trvns_target)));
        list->targets[0] = {text("server"), text("/vol/path"), text("VOL1"), 1, 1};
    }
    return status;
}

int TRVNS_MGMT_listJunctions(const char *path, trvns_trustee *, uint32_t) { return operation({path}); }
int TRVNS_MGMT_list(const char *path, trvns_trustee *, uint32_t) { return operation({path}); }

int TRVNS_MGMT_getNamespaces(trvns_getNamespaces_input *in, trvns_namespace_list *list) {
    int status = operation({}, {in->server});
    if (succeeded(status, list)) {
        list->count = kEntries;
        list->namespaces = static_cast<trvns_namespace *>(calloc(kEntries, sizeof(trvns_namespace)));
        for (int i = 0; i < kEntries; ++i) list->namespaces[i] = {text("NS1"), 0, 3, 1, 2, text("c"), text("t")};
    }
    return status;
}

int TRVNS_MGMT_getNSCifsAttr(trvns_getNSCifsAttr_input *in, trvns_cifs_attr *attr) {
    int status = operation({}, {in->name_space});
    if (succeeded(status, attr)) attr->cifsAttr = text("attr");
    return status;
}

int TRVNS_MGMT_setNSCifsAttr(trvns_setNSCifsAttr_input *in, trvns_cifs_attr *attr) {
    return operation({}, {in->name_space, attr->cifsAttr});
}

int TRVNS_MGMT_createNamespace(trvns_createNamespace_input *in) {
    return operation({}, {in->name, in->attribute1, in->attribute2});
}
int TRVNS_MGMT_deleteNamespace(trvns_deleteNamespace_input *in) { return operation({}, {in->name}); }
int TRVNS_MGMT_purgeNamespace(trvns_purgeNamespace_input *in) { return operation({}, {in->name}); }
int TRVNS_MGMT_salvageNamespace(trvns_salvageNamespace_input *in) { return operation({}, {in->name}); }

int TRVNS_MGMT_addVolumeEntry(trvns_addVolumeEntry_input *in) {
    return operation({}, {in->volumeName, in->serverName, in->targetType, in->nameSpace});
}
int TRVNS_MGMT_modifyVolumeEntry(trvns_modifyVolumeEntry_input *in) {
    return operation({}, {in->oldVolumeName, in->newVolumeName, in->serverName, in->targetType});
}
int TRVNS_MGMT_removeVolumeEntry(trvns_removeVolumeEntry_input *in) {
    return operation({}, {in->volumeName, in->serverName, in->targetType});
}
int TRVNS_MGMT_initService(trvns_initService_input *in, trvns_initService_output *) {
    return operation({}, {in->principal});
}

void TRVNS_MGMT_freeTrusteeList(trvns_trustee_list *list) {
    released(list);
    freeTrusteeList(list);
}
void TRVNS_MGMT_freeTargetList(trvns_target_list *list) {
    released(list);
    freeTargetList(list);
}
void TRVNS_MGMT_freeNamespaceList(trvns_namespace_list *list) {
    released(list);
    freeNamespaceList(list);
}
void TRVNS_MGMT_freeDirStatout(trvns_dirStat_output *out) {
    released(out);
    freeDirStatout(out);
}
void TRVNS_MGMT_freeObjStatout(trvns_objStat_output *out) { freeObjStatout(out); }
void TRVNS_MGMT_freeCifsAttr(trvns_cifs_attr *attr) {
    released(attr);
    freeCifsAttr(attr);
}

}  // extern "C"
