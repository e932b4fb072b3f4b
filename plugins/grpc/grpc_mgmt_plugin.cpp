#include "grpc_mgmt_plugin.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <limits>
#include <new>
#include <stdexcept>

#include "trvns_log.h"
#include "trvns_status_codes.h"
#include "wire_numbers.h"

namespace {

// Every client operation that takes a user name gets this one.
const std::string kUserName = "root";

using trvns::status::kMissingConfig;  // no client: its settings are incomplete
using trvns::status::kNotConnected;
using trvns::status::kInternalFailure;  // also: out of memory
// The plain target and namespace lists count in 16 bits.
constexpr int64_t kMaxPlainListCount = std::numeric_limits<uint16_t>::max();

std::string text(const char *value) { return value ? value : std::string(); }

// Copy of an intermediate string; a null left by a failed copy stays null.
char *dupText(const char *value) { return value ? strdup(value) : nullptr; }

// Hands an intermediate string over to a library record: both are
// malloc'ed, so big listings are not held twice.
char *takeText(char *&value) {
    char *taken = value;
    value = nullptr;
    return taken;
}

// Frees an intermediate record whatever path leaves the scope.
template <typename Record, void (*Free)(Record *)>
struct Released {
    Record record{};
    ~Released() { Free(&record); }
};

// How many intermediate entries are used up between two shrinks.
constexpr int64_t kShrinkStep = 4096;

// Drops the used-up tail of an intermediate listing (its names were taken).
void shrinkTo(DirStatOutput &listing, int64_t count) {
    void *smaller = realloc(listing.metadata, static_cast<size_t>(count) * sizeof(MetadataC));
    if (smaller == nullptr) return;  // keeps the larger block; still freed whole
    listing.metadata = static_cast<MetadataC *>(smaller);
    listing.elementCount = count;
}

void fillStat(struct stat *st, const MetadataC &m) {
    st->st_dev = 1000;
    st->st_ino = m.nodeId;
    st->st_nlink = 1;
    st->st_mode = m.type == trvns::wire::kMetadataFolder ? (S_IFDIR | 0600) : 0600;
    st->st_uid = 0;
    st->st_gid = 0;
    st->st_rdev = 0;
    st->st_size = static_cast<off_t>(m.size);
    st->st_blksize = 4096;
    st->st_blocks = 12;
    st->st_ctim.tv_sec = m.createEpoch;
    st->st_mtim.tv_sec = m.modifyEpoch;
    st->st_atim.tv_sec = m.accessEpoch;
}

int32_t plainTargetOrNamespaceCount(const char *what, int64_t count) {
    if (count <= kMaxPlainListCount) return static_cast<int32_t>(count);
    TRVNS_LOG(LOG_ERR, "%ld %s received, only the first %ld are returned", static_cast<long>(count), what,
              static_cast<long>(kMaxPlainListCount));
    return static_cast<int32_t>(kMaxPlainListCount);
}

}  // namespace

TRVNS_GrpcMgmtOps *GrpcMgmtPlugin::connected(const char *operation) {
    if (!client_) TRVNS_LOG(LOG_ERR, "%s called while not connected", operation);
    return client_.get();
}

int32_t GrpcMgmtPlugin::connect(trvns_clientConfig *config) {
    TRVNS_LOG(LOG_DEBUG, "connect called with server=%s, port=%s, clientCertPath=%s", trvnsOrNull(config->server),
              trvnsOrNull(config->port), trvnsOrNull(config->clientCertPath));
    client_.reset();
    try {
        client_.reset(new (std::nothrow) TRVNS_GrpcMgmtOps(config, readClientSettings()));
    } catch (const std::exception &failure) {
        TRVNS_LOG(LOG_ERR, "%s", failure.what());
        return kNotConnected;
    }
    return client_ ? 0 : kMissingConfig;
}

int32_t GrpcMgmtPlugin::disconnect() {
    TRVNS_LOG(LOG_DEBUG, "disconnect called");
    client_.reset();
    return 0;
}

int32_t GrpcMgmtPlugin::objStat(unsigned uid, const char *path, void *out) {
    TRVNS_LOG(LOG_DEBUG, "objStat called with uid=%d, path=%s", uid, trvnsOrNull(path));
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr) return kNotConnected;
    Released<ObjStatOutput, freeObjStatOutput> reply;
    int32_t status = client->objStat(uid, text(path), &reply.record);
    if (status != 0) return status;
    auto *result = static_cast<trvns_objStat_output *>(out);
    result->count = static_cast<uint64_t>(reply.record.elementCount);
    if (reply.record.isDir != 0) result->flags |= TRVNS_FLAG_ISDIR;
    for (int64_t i = 0; i < reply.record.metadataCount; ++i) fillStat(&result->st, reply.record.metadata[i]);
    printObjStatout(result);
    return 0;
}

int32_t GrpcMgmtPlugin::listAll(const char *nameSpace, int pageNum, int pageSize, void *out) {
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr) return kNotConnected;
    Released<ListAllOutput, freeListAllJunctionsOutput> reply;
    int32_t status = client->listAll(nameSpace, pageNum, pageSize, &reply.record);
    if (status != 0) return status;
    auto *result = static_cast<trvns_listAll_output *>(out);
    const int32_t count = reply.record.count;
    auto *entries = static_cast<trvns_junction_entry *>(calloc(count > 0 ? count : 1, sizeof(trvns_junction_entry)));
    if (entries == nullptr) return kInternalFailure;
    for (int32_t i = 0; i < count; ++i) {
        JunctionListDataC &row = reply.record.entries[i];
        entries[i] = {takeText(row.folderName), takeText(row.junctionName), takeText(row.targetPath)};
    }
    result->totalJunctions = reply.record.totalJunctions;
    result->count = count;
    result->entries = entries;
    return 0;
}

int32_t GrpcMgmtPlugin::dirStat(unsigned uid, const char *path, void *out) {
    TRVNS_LOG(LOG_DEBUG, "dirStat called with uid=%d, path=%s", uid, trvnsOrNull(path));
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr) return kNotConnected;
    Released<DirStatOutput, freeDirStatOutput> reply;
    int32_t status = client->dirStat(uid, text(path), &reply.record);
    if (status != 0) return status;
    const int64_t count = reply.record.elementCount;
    auto *elements = static_cast<trvns_stat_element *>(calloc(count > 0 ? count : 1, sizeof(trvns_stat_element)));
    if (elements == nullptr) return kInternalFailure;
    // Last to first, giving the intermediate array back as it is used up:
    // a big listing's stat records then take its place.
    for (int64_t i = count - 1; i >= 0; --i) {
        MetadataC &m = reply.record.metadata[i];
        elements[i].name = takeText(m.name);
        elements[i].st = static_cast<struct stat *>(calloc(1, sizeof(struct stat)));
        if (elements[i].st != nullptr) fillStat(elements[i].st, m);
        if (i % kShrinkStep == 0 && i > 0) shrinkTo(reply.record, i);
    }
    auto *result = static_cast<trvns_dirStat_output *>(out);
    result->count = static_cast<uint64_t>(count);
    if (reply.record.isDir != 0) result->flags |= TRVNS_FLAG_ISDIR;
    result->elements = elements;
    return 0;
}

int32_t GrpcMgmtPlugin::getTarget(unsigned uid, const char *path, trvns_target_list *list, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "getTarget called with uid=%d, path=%s, options=%u", uid, trvnsOrNull(path), options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr) return kNotConnected;
    Released<TargetListOutput, freeTargetListOut> reply;
    int32_t status = client->getJunctionTarget(uid, text(path), &reply.record, options);
    if (status != 0) return status;
    const int32_t count = plainTargetOrNamespaceCount("targets", reply.record.count);
    auto *targets = static_cast<trvns_target *>(calloc(count > 0 ? count : 1, sizeof(trvns_target)));
    if (targets == nullptr) return kInternalFailure;
    for (int32_t i = 0; i < count; ++i) {
        const TargetC &t = reply.record.targets[i];
        targets[i].server = dupText(t.server);
        targets[i].volume = dupText(t.volume);
        targets[i].path = dupText(t.path);
        targets[i].type = t.type;  // already 1, 2 or 0 (extractTarget)
        targets[i].status = t.status;
    }
    list->count = static_cast<uint16_t>(count);
    list->targets = targets;
    return 0;
}

int32_t GrpcMgmtPlugin::getNamespaces(trvns_getNamespaces_input *in, trvns_namespace_list *list) {
    TRVNS_LOG(LOG_DEBUG, "getNamespaces called with uid=%d, server=%s, options=%u", in ? static_cast<int>(in->uid) : -1,
              trvnsOrNull(in ? in->server : nullptr), in ? in->options : 0);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr) return kNotConnected;
    Released<NamespaceListC, freeNamespaceListC> reply;
    int32_t status = client->getNamespaces(in, &reply.record);
    if (status != 0) return status;
    const int32_t count = plainTargetOrNamespaceCount("namespaces", reply.record.count);
    auto *namespaces = static_cast<trvns_namespace *>(calloc(count > 0 ? count : 1, sizeof(trvns_namespace)));
    if (namespaces == nullptr) return kInternalFailure;
    for (int32_t i = 0; i < count; ++i) {
        const NamespaceC &n = reply.record.namespaces[i];
        namespaces[i].name = dupText(n.name);
        namespaces[i].cifsAttr = dupText(n.cifsAttr);
        namespaces[i].trvnsAttr = dupText(n.trvnsAttr);
        namespaces[i].flags = n.flags;
        namespaces[i].number1 = n.number1;
        namespaces[i].number2 = n.number2;
        namespaces[i].number3 = n.number3;
    }
    list->count = static_cast<uint16_t>(count);
    list->namespaces = namespaces;
    return 0;
}

int32_t GrpcMgmtPlugin::getNSCifsAttr(trvns_getNSCifsAttr_input *in, trvns_cifs_attr *attr) {
    TRVNS_LOG(LOG_DEBUG, "getNSCifsAttr called with uid=%d, name_space=%s, options=%u", static_cast<int>(in->uid),
              trvnsOrNull(in->name_space), in->options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr) return kNotConnected;
    std::string received;
    int32_t status = client->getNSCifsAttr(in, received);
    if (status != 0) return status;
    std::cout << "cifsAttr" << static_cast<const void *>(attr) << std::endl;
    char *copy = copyText(received);
    if (copy == nullptr) return kInternalFailure;
    if (attr != nullptr) attr->cifsAttr = copy;
    std::cout << "Attr after the extraction to C" << copy << std::endl;
    if (attr == nullptr) free(copy);
    return 0;
}

int32_t GrpcMgmtPlugin::setNSCifsAttr(trvns_setNSCifsAttr_input *in, trvns_cifs_attr *attr) {
    const char *cifsAttr = attr ? attr->cifsAttr : nullptr;
    TRVNS_LOG(LOG_DEBUG, "setNSCifsAttr called with uid=%d, name_space=%s, options=%u, cifsAttr=%s",
              static_cast<int>(in->uid), trvnsOrNull(in->name_space), in->options, trvnsOrNull(cifsAttr));
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr) return kNotConnected;
    return client->setNSCifsAttr(in, text(cifsAttr));
}

int32_t GrpcMgmtPlugin::createNamespace(trvns_createNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "createNamespace called with name=%s, options=%u", trvnsOrNull(in->name), in->options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->createNamespace(in) : kNotConnected;
}

int32_t GrpcMgmtPlugin::deleteNamespace(trvns_deleteNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "deleteNamespace called with name=%s, options=%u", trvnsOrNull(in->name), in->options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->deleteNamespace(in) : kNotConnected;
}

int32_t GrpcMgmtPlugin::purgeNamespace(trvns_purgeNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "purgeNamespace called with name=%s, options=%u", trvnsOrNull(in->name), in->options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->purgeNamespace(in) : kNotConnected;
}

int32_t GrpcMgmtPlugin::salvageNamespace(trvns_salvageNamespace_input *in) {
    TRVNS_LOG(LOG_DEBUG, "salvageNamespace called with name=%s, options=%u", trvnsOrNull(in->name), in->options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->salvageNamespace(in) : kNotConnected;
}

int32_t GrpcMgmtPlugin::addVolumeEntry(trvns_addVolumeEntry_input *in) {
    TRVNS_LOG(LOG_DEBUG, "addVolumeEntry called with volumeName=%s, serverName=%s, targetType=%s, nameSpace=%s",
              trvnsOrNull(in->volumeName), trvnsOrNull(in->serverName), trvnsOrNull(in->targetType),
              trvnsOrNull(in->nameSpace));
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->addVolumeEntry(in) : kNotConnected;
}

int32_t GrpcMgmtPlugin::modifyVolumeEntry(trvns_modifyVolumeEntry_input *in) {
    TRVNS_LOG(LOG_DEBUG, "modifyVolumeEntry called with oldVolumeName=%s, newVolumeName=%s, serverName=%s",
              trvnsOrNull(in->oldVolumeName), trvnsOrNull(in->newVolumeName), trvnsOrNull(in->serverName));
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->modifyVolumeEntry(in) : kNotConnected;
}

int32_t GrpcMgmtPlugin::removeVolumeEntry(trvns_removeVolumeEntry_input *in) {
    TRVNS_LOG(LOG_DEBUG, "removeVolumeEntry called with volumeName=%s, serverName=%s", trvnsOrNull(in->volumeName),
              trvnsOrNull(in->serverName));
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->removeVolumeEntry(in) : kNotConnected;
}

int32_t GrpcMgmtPlugin::initService(trvns_initService_input *in, trvns_initService_output *out) {
    TRVNS_LOG(LOG_DEBUG, "initService called with principal=%s, options=%u", trvnsOrNull(in->principal),
              in->options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->initService(in, out) : kNotConnected;
}

int32_t GrpcMgmtPlugin::createJunction(unsigned uid, const char *dirPath, const char *junctionName,
                                       const char *targetServer, const char *targetVolume, const char *targetPath,
                                       const char *targetType, unsigned options) {
    TRVNS_LOG(LOG_DEBUG,
              "createJunction called with uid=%d, dirPath=%s, junctionName=%s, targetServer=%s, targetVolume=%s, "
              "targetPath=%s, targetType=%s, options=%u",
              uid, trvnsOrNull(dirPath), trvnsOrNull(junctionName), trvnsOrNull(targetServer),
              trvnsOrNull(targetVolume), trvnsOrNull(targetPath), trvnsOrNull(targetType), options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr) return kNotConnected;
    return client->createJunction(kUserName, text(dirPath), text(junctionName), text(targetServer),
                                  text(targetVolume), text(targetPath), text(targetType), options);
}

int32_t GrpcMgmtPlugin::createDirectory(unsigned uid, const char *dirPath, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "createDirectory called with uid=%d, dirPath=%s, options=%u", uid, trvnsOrNull(dirPath),
              options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->createDirectory(kUserName, text(dirPath), options) : kNotConnected;
}

int32_t GrpcMgmtPlugin::remove(unsigned uid, const char *path, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "remove called with uid=%d, path=%s, options=%u", uid, trvnsOrNull(path), options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->remove(kUserName, text(path), options) : kNotConnected;
}

int32_t GrpcMgmtPlugin::rename(unsigned uid, const char *path, const char *newName, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "rename called with uid=%d, path=%s, newName=%s, options=%u", uid, trvnsOrNull(path),
              trvnsOrNull(newName), options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->rename(kUserName, text(path), text(newName), options) : kNotConnected;
}

int32_t GrpcMgmtPlugin::move(unsigned uid, const char *source, const char *target, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "move called with uid=%d, source=%s, target=%s, options=%u", uid, trvnsOrNull(source),
              trvnsOrNull(target), options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    return client ? client->move(kUserName, text(source), text(target), options) : kNotConnected;
}

int32_t GrpcMgmtPlugin::trusteeGrant(unsigned uid, const char *path, trvns_trustee *trustee, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "trusteeGrant called with uid=%d, path=%s, trusteeName=%s, options=%u", uid,
              trvnsOrNull(path), trvnsOrNull(trustee ? trustee->name : nullptr), options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr || trustee == nullptr) return client ? 22 : kNotConnected;
    Released<TrusteeC, freeTrusteeC> converted;
    copyTrustee2Grpc(trustee, &converted.record);
    return client->trusteeGrant(kUserName, text(path), converted.record, options);
}

int32_t GrpcMgmtPlugin::trusteeRevoke(unsigned uid, const char *path, trvns_trustee *trustee, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "trusteeRevoke called with uid=%d, path=%s, trusteeName=%s, options=%u", uid,
              trvnsOrNull(path), trvnsOrNull(trustee ? trustee->name : nullptr), options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr || trustee == nullptr) return client ? 22 : kNotConnected;
    Released<TrusteeC, freeTrusteeC> converted;
    copyTrustee2Grpc(trustee, &converted.record);
    return client->trusteeRevoke(kUserName, text(path), converted.record, options);
}

int32_t GrpcMgmtPlugin::trusteeList(unsigned uid, const char *path, trvns_trustee_list *list, unsigned options) {
    TRVNS_LOG(LOG_DEBUG, "trusteeList called with uid=%d, path=%s, options=%u", uid, trvnsOrNull(path), options);
    TRVNS_GrpcMgmtOps *client = connected(__func__);
    if (client == nullptr) return kNotConnected;
    Released<TrusteeListOutput, freeTrusteeListOut> reply;
    int32_t status = client->trusteeList(kUserName, text(path), &reply.record, options);
    if (status != 0) return status;
    const int64_t count = reply.record.count;
    auto *trustees = static_cast<trvns_trustee *>(calloc(count > 0 ? count : 1, sizeof(trvns_trustee)));
    if (trustees == nullptr) return kInternalFailure;
    for (int64_t i = 0; i < count; ++i) {
        const TrusteeC &t = reply.record.trustees[i];
        trustees[i].name = dupText(t.name);
        trustees[i].guid = dupText(t.guid);
        trustees[i].rights = t.rights;
    }
    list->count = static_cast<uint64_t>(count);
    list->trustees = trustees;
    printTrusteeListOut(&reply.record);
    return 0;
}
