// Conversion between the service's reply messages and the intermediate
// records, and of a plain trustee into an intermediate one.
#include <cstdlib>
#include <cstring>

#include "intermediate_records.h"
#include "trvns_log.h"
#include "text.h"

namespace {

// Every grant and revoke carries these, whatever the caller's trustee holds.
constexpr char kTrusteeGuid[] = "1234567";
constexpr int32_t kTrusteeType = 1;
constexpr uint32_t kTrusteeRights = 123;

// The two enumerations share one rule: 1 and 2 are kept, all else is 0.
int32_t knownValueOrZero(int value) { return (value == 1 || value == 2) ? value : 0; }

}  // namespace

char *copyText(const std::string &text) { return trvns::mallocCopy(text); }

extern "C" {

TRVNS_PLUGIN_API void extractMetadata(MetadataC *dst, const trvnamespace::Metadata &src) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, size=%ld, nodeId=%ld, fileType=%d", src.name().c_str(),
              static_cast<long>(src.size()), static_cast<long>(src.nodeid()), src.filetype());
    dst->type = static_cast<uint32_t>(src.type());
    dst->name = copyText(src.name());
    dst->size = static_cast<uint64_t>(src.size());
    dst->nodeId = static_cast<uint64_t>(src.nodeid());
    dst->fileType = static_cast<uint32_t>(src.filetype());
    dst->createEpoch = src.createepoch();
    dst->modifyEpoch = src.modifyepoch();
    dst->accessEpoch = src.accessepoch();
}

TRVNS_PLUGIN_API void extractMetadataForListAll(JunctionListDataC *dst, const trvnamespace::MetadataForListAll &src) {
    dst->folderName = copyText(src.foldername());
    dst->junctionName = copyText(src.junctionname());
    dst->targetPath = copyText(src.targetpath());
}

TRVNS_PLUGIN_API void extractTrustee(TrusteeC *dst, const trvnamespace::Trustee &src) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, guid=%s, rights=%d", src.name().c_str(), src.guid().c_str(),
              src.rights());
    dst->name = copyText(src.name());
    dst->guid = copyText(src.guid());
    dst->rights = static_cast<uint32_t>(src.rights());
}

TRVNS_PLUGIN_API void extractTarget(TargetC *dst, const trvnamespace::Target &src) {
    TRVNS_LOG(LOG_DEBUG, "called with server=%s, volume=%s, path=%s, type=%d, status=%d", src.server().c_str(),
              src.volume().c_str(), src.path().c_str(), static_cast<int>(src.type()), static_cast<int>(src.status()));
    dst->server = copyText(src.server());
    dst->volume = copyText(src.volume());
    dst->path = copyText(src.path());
    dst->type = convertTargetType(src.type());
    dst->status = convertStatus(src.status());
}

TRVNS_PLUGIN_API void extractNamespace(NamespaceC *dst, const trvnamespace::Namespace &src) {
    TRVNS_LOG(LOG_DEBUG, "called with name=%s, cifsAttr=%s, trvnsAttr=%s, flags=%u", src.name().c_str(),
              src.cifsattr().c_str(), src.trvnsattr().c_str(), src.flags());
    dst->name = copyText(src.name());
    dst->cifsAttr = copyText(src.cifsattr());
    dst->trvnsAttr = copyText(src.trvnsattr());
    dst->number1 = src.number1();
    dst->number2 = src.number2();
    dst->number3 = src.number3();
    dst->flags = src.flags();
}

TRVNS_PLUGIN_API int32_t convertTargetType(trvnamespace::TargetType type) { return knownValueOrZero(type); }

TRVNS_PLUGIN_API int32_t convertStatus(trvnamespace::TargetStatus status) { return knownValueOrZero(status); }

TRVNS_PLUGIN_API void copyTrustee2Grpc(trvns_trustee *src, TrusteeC *dst) {
    dst->name = src->name ? strdup(src->name) : nullptr;
    dst->guid = strdup(kTrusteeGuid);
    dst->type = kTrusteeType;
    dst->rights = kTrusteeRights;
}

}  // extern "C"
