// A transport plug-in for the library's tests: records each slot call with
// its arguments, returns scripted statuses and fills results with fixed data.
#include "test_plugin.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

#include "trvns_mgmt.h"

#ifndef TEST_PLUGIN_ID
#error "TEST_PLUGIN_ID must name the plug-in copy"
#endif

namespace {

// The library maps a private copy of the plug-in for every load, so the
// test program keeps the state of each id and all copies share it; in any
// other program each copy keeps its own.
TestPluginState &state() {
    static TestPluginState *instance = [] {
        auto shared = reinterpret_cast<TestPluginState *(*)(const char *)>(
            dlsym(RTLD_DEFAULT, TEST_PLUGIN_STATE_REGISTRY));
        TestPluginState *s = shared != nullptr ? shared(TEST_PLUGIN_ID) : new TestPluginState;
        s->id = TEST_PLUGIN_ID;
        return s;
    }();
    return *instance;
}

std::string text(const char *value) { return value ? value : "<null>"; }
std::string number(uint64_t value) { return std::to_string(value); }

int32_t record(const std::string &slot, std::vector<std::string> args) {
    TestPluginState &s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    s.calls.push_back({slot, std::move(args)});
    if (s.blockSlot == slot) {
        s.blocked = true;
        s.changed.notify_all();
        s.changed.wait(lock, [&] { return s.release; });
    }
    auto found = s.statuses.find(slot);
    return found == s.statuses.end() ? 0 : found->second;
}

int32_t connectSlot(trvns_clientConfig *c) {
    return record("connect", {text(c->server), text(c->port), text(c->clientCertPath)});
}
int32_t disconnectSlot() { return record("disconnect", {}); }

int32_t objStatSlot(uint32_t uid, const char *path, void *result) {
    int32_t status = record("objStat", {number(uid), text(path)});
    auto *out = static_cast<trvns_objStat_output *>(result);
    out->count = 7;
    out->flags |= TRVNS_FLAG_ISDIR;
    return status;
}

int32_t dirStatSlot(uint32_t uid, const char *path, void *result) {
    int32_t status = record("dirStat", {number(uid), text(path)});
    auto *out = static_cast<trvns_dirStat_output *>(result);
    out->count = 1;
    out->elements = static_cast<trvns_stat_element *>(calloc(1, sizeof(trvns_stat_element)));
    out->elements[0].name = strdup("entry");
    out->elements[0].st = static_cast<struct stat *>(calloc(1, sizeof(struct stat)));
    return status;
}

int32_t listAllSlot(const char *ns, int32_t pageNum, int32_t pageSize, void * /*result*/) {
    return record("listAll", {text(ns), std::to_string(pageNum), std::to_string(pageSize)});
}

int32_t createJunctionSlot(uint32_t uid, const char *dir, const char *name, const char *server,
                           const char *volume, const char *path, const char *type, uint32_t options) {
    return record("createJunction", {number(uid), text(dir), text(name), text(server), text(volume), text(path),
                                     text(type), number(options)});
}

int32_t createDirectorySlot(uint32_t uid, const char *dir, uint32_t options) {
    return record("createDirectory", {number(uid), text(dir), number(options)});
}

int32_t removeSlot(uint32_t uid, const char *path, uint32_t options) {
    return record("remove", {number(uid), text(path), number(options)});
}

int32_t renameSlot(uint32_t uid, const char *path, const char *newName, uint32_t options) {
    return record("rename", {number(uid), text(path), text(newName), number(options)});
}

int32_t trusteeGrantSlot(uint32_t uid, const char *path, trvns_trustee *t, uint32_t options) {
    return record("trusteeGrant", {number(uid), text(path), text(t ? t->name : nullptr), number(options)});
}

int32_t trusteeRevokeSlot(uint32_t uid, const char *path, trvns_trustee *t, uint32_t options) {
    return record("trusteeRevoke", {number(uid), text(path), text(t ? t->name : nullptr), number(options)});
}

// Fills the list whatever the status, so a failing call leaves blocks that
// the library must free.
int32_t trusteeListSlot(uint32_t uid, const char *path, trvns_trustee_list *list, uint32_t options) {
    int32_t status = record("trusteeList", {number(uid), text(path), number(options)});
    list->count = 2;
    list->trustees = static_cast<trvns_trustee *>(calloc(2, sizeof(trvns_trustee)));
    list->trustees[0] = {strdup(".alice.org.TREE."), strdup("g-1"), 1, 3};
    list->trustees[1] = {strdup(".bob.org.TREE."), strdup("g-2"), 0, 255};
    return status;
}

int32_t getTargetSlot(uint32_t uid, const char *path, trvns_target_list *list, uint32_t options) {
    int32_t status = record("getTarget", {number(uid), text(path), number(options)});
    list->count = 1;
    list->targets = static_cast<trvns_target *>(calloc(1, sizeof(trvns_target)));
    list->targets[0] = {strdup("srv"), strdup("/p"), strdup("VOL"), 1, 2};
    return status;
}

int32_t listJunctionsSlot(uint32_t uid, const char *path, trvns_trustee *, uint32_t options) {
    return record("listJunctions", {number(uid), text(path), number(options)});
}

int32_t listSlot(uint32_t uid, const char *path, trvns_trustee *, uint32_t options) {
    return record("list", {number(uid), text(path), number(options)});
}

int32_t moveSlot(uint32_t uid, const char *source, const char *target, uint32_t options) {
    return record("move", {number(uid), text(source), text(target), number(options)});
}

int32_t getNamespacesSlot(trvns_getNamespaces_input *in, trvns_namespace_list *) {
    return record("getNamespaces", {number(in->uid), text(in->server), number(in->options)});
}
int32_t setNSCifsAttrSlot(trvns_setNSCifsAttr_input *in, trvns_cifs_attr *attr) {
    return record("setNSCifsAttr", {number(in->uid), text(in->name_space), text(attr ? attr->cifsAttr : nullptr)});
}
int32_t getNSCifsAttrSlot(trvns_getNSCifsAttr_input *in, trvns_cifs_attr *) {
    return record("getNSCifsAttr", {number(in->uid), text(in->name_space)});
}
int32_t createNamespaceSlot(trvns_createNamespace_input *in) {
    return record("createNamespace", {text(in->name), number(in->uid), text(in->attribute1), text(in->attribute2)});
}
int32_t deleteNamespaceSlot(trvns_deleteNamespace_input *in) {
    return record("deleteNamespace", {text(in->name), number(in->uid)});
}
int32_t purgeNamespaceSlot(trvns_purgeNamespace_input *in) {
    return record("purgeNamespace", {text(in->name), number(in->uid)});
}
int32_t salvageNamespaceSlot(trvns_salvageNamespace_input *in) {
    return record("salvageNamespace", {text(in->name), number(in->uid)});
}
int32_t addVolumeEntrySlot(trvns_addVolumeEntry_input *in) {
    return record("addVolumeEntry", {text(in->volumeName), text(in->serverName), text(in->targetType),
                                     text(in->nameSpace)});
}
int32_t modifyVolumeEntrySlot(trvns_modifyVolumeEntry_input *in) {
    return record("modifyVolumeEntry", {text(in->oldVolumeName), text(in->newVolumeName), text(in->serverName),
                                        text(in->targetType)});
}
int32_t removeVolumeEntrySlot(trvns_removeVolumeEntry_input *in) {
    return record("removeVolumeEntry", {text(in->volumeName), text(in->serverName), text(in->targetType)});
}
int32_t initServiceSlot(trvns_initService_input *in, trvns_initService_output *) {
    return record("initService", {text(in->principal), number(in->options)});
}

trvns_mgmtPluginOps kOps = {
    connectSlot,        disconnectSlot,     objStatSlot,         dirStatSlot,         listAllSlot,
    createJunctionSlot, createDirectorySlot, removeSlot,         renameSlot,          trusteeGrantSlot,
    trusteeRevokeSlot,  trusteeListSlot,    getTargetSlot,       listJunctionsSlot,   listSlot,
    moveSlot,           getNamespacesSlot,  setNSCifsAttrSlot,   getNSCifsAttrSlot,   createNamespaceSlot,
    deleteNamespaceSlot, purgeNamespaceSlot, salvageNamespaceSlot, addVolumeEntrySlot, modifyVolumeEntrySlot,
    removeVolumeEntrySlot, initServiceSlot,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) trvns_mgmtPluginOps *getMgmtPluginOps() { return &kOps; }
