// The plug-in's reply handling: a reply of every type that carries data is
// parsed from the input (first byte: the type), turned into the plug-in's
// intermediate records by its extraction functions the way the client
// does, checked against the reply, printed and freed.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "intermediate_records.h"

namespace {

using namespace trvnamespace;

// A copied reply string holds all the reply's bytes and a NUL.
void checkText(const char *copy, const std::string &original) {
    FUZZ_CHECK(copy != nullptr);
    FUZZ_CHECK(memcmp(copy, original.data(), original.size()) == 0);
    FUZZ_CHECK(copy[original.size()] == '\0');
}

bool isKnownOrZero(int32_t value) { return value == 0 || value == 1 || value == 2; }

template <typename Element, typename Repeated, typename Extract>
Element *extractAll(const Repeated &items, Extract extract) {
    Element *array = static_cast<Element *>(calloc(items.size() == 0 ? 1 : items.size(), sizeof(Element)));
    FUZZ_CHECK(array != nullptr);
    for (int i = 0; i < items.size(); ++i) extract(&array[i], items.Get(i));
    return array;
}

void checkMetadata(const MetadataC &m, const Metadata &wire) {
    checkText(m.name, wire.name());
    FUZZ_CHECK(m.type == static_cast<uint32_t>(wire.type()));
    FUZZ_CHECK(m.size == static_cast<uint64_t>(wire.size()));
    FUZZ_CHECK(m.nodeId == static_cast<uint64_t>(wire.nodeid()));
    FUZZ_CHECK(m.fileType == static_cast<uint32_t>(wire.filetype()));
    FUZZ_CHECK(m.createEpoch == wire.createepoch() && m.modifyEpoch == wire.modifyepoch() &&
               m.accessEpoch == wire.accessepoch());
}

void listContents(const std::string &bytes) {
    ListContentsReply reply;
    if (!reply.ParseFromString(bytes)) return;
    auto copy = [](char **d, const std::string &s) { *d = copyText(s); };
    ListContentsOutput record{};
    ListContentsOutput *out = &record;
    out->retCode = reply.retcode();
    out->firstCount = reply.firstnames_size();
    out->secondCount = reply.secondnames_size();
    out->firstNames = extractAll<char *>(reply.firstnames(), copy);
    out->secondNames = extractAll<char *>(reply.secondnames(), copy);
    for (int i = 0; i < out->firstCount; ++i) checkText(out->firstNames[i], reply.firstnames(i));
    for (int i = 0; i < out->secondCount; ++i) checkText(out->secondNames[i], reply.secondnames(i));
    freeListContentsOutput(out);
}

void objStat(const std::string &bytes) {
    ObjStatReply reply;
    if (!reply.ParseFromString(bytes)) return;
    ObjStatOutput record{};
    ObjStatOutput *out = &record;
    out->retCode = reply.retcode();
    out->isDir = reply.isdir();
    out->elementCount = reply.elementcount();
    out->metadata = extractAll<MetadataC>(reply.metadata(), extractMetadata);
    out->metadataCount = reply.metadata_size();
    for (int64_t i = 0; i < out->metadataCount; ++i) checkMetadata(out->metadata[i], reply.metadata(i));
    printObjStatOut(out);
    freeObjStatOutput(out);
}

void dirStat(const std::string &bytes) {
    DirStatReply reply;
    if (!reply.ParseFromString(bytes)) return;
    DirStatOutput record{};
    DirStatOutput *out = &record;
    out->retCode = reply.retcode();
    out->isDir = reply.isdir();
    out->elementCount = reply.metadata_size();
    out->metadata = extractAll<MetadataC>(reply.metadata(), extractMetadata);
    for (int64_t i = 0; i < out->elementCount; ++i) checkMetadata(out->metadata[i], reply.metadata(i));
    printDirStatOut(out);
    freeDirStatOutput(out);
}

void listAll(const std::string &bytes) {
    ListAllReply reply;
    if (!reply.ParseFromString(bytes)) return;
    ListAllOutput record{};
    ListAllOutput *out = &record;
    out->totalJunctions = reply.totaljunctions();
    out->count = reply.junctions_size();
    out->entries = extractAll<JunctionListDataC>(reply.junctions(), extractMetadataForListAll);
    for (int32_t i = 0; i < out->count; ++i) {
        checkText(out->entries[i].folderName, reply.junctions(i).foldername());
        checkText(out->entries[i].junctionName, reply.junctions(i).junctionname());
        checkText(out->entries[i].targetPath, reply.junctions(i).targetpath());
    }
    freeListAllJunctionsOutput(out);
}

void junctionTargets(const std::string &bytes) {
    GetJunctionTargetReply reply;
    if (!reply.ParseFromString(bytes)) return;
    TargetListOutput record{};
    TargetListOutput *out = &record;
    out->retCode = reply.retcode();
    out->count = reply.targets_size();
    out->targets = extractAll<TargetC>(reply.targets(), extractTarget);
    for (int64_t i = 0; i < out->count; ++i) {
        const TargetC &t = out->targets[i];
        const Target &wire = reply.targets(i);
        checkText(t.server, wire.server());
        checkText(t.volume, wire.volume());
        checkText(t.path, wire.path());
        FUZZ_CHECK(isKnownOrZero(t.type) && isKnownOrZero(t.status));
        FUZZ_CHECK(t.type == 0 || t.type == wire.type());
        FUZZ_CHECK(t.status == 0 || t.status == wire.status());
    }
    printTargetListOut(out);
    freeTargetListOut(out);
}

void trustees(const std::string &bytes) {
    TrusteeListReply reply;
    if (!reply.ParseFromString(bytes)) return;
    TrusteeListOutput record{};
    TrusteeListOutput *out = &record;
    out->retCode = reply.retcode();
    out->count = reply.trustees_size();
    out->trustees = extractAll<TrusteeC>(reply.trustees(), extractTrustee);
    for (int64_t i = 0; i < out->count; ++i) {
        checkText(out->trustees[i].name, reply.trustees(i).name());
        checkText(out->trustees[i].guid, reply.trustees(i).guid());
        FUZZ_CHECK(out->trustees[i].type == 0);  // extraction leaves the type as it was
        FUZZ_CHECK(out->trustees[i].rights == static_cast<uint32_t>(reply.trustees(i).rights()));
    }
    printTrusteeListOut(out);
    freeTrusteeListOut(out);
}

void namespaces(const std::string &bytes) {
    GetNamespacesReply reply;
    if (!reply.ParseFromString(bytes)) return;
    NamespaceListC record{};
    NamespaceListC *out = &record;
    out->retCode = reply.retcode();
    out->count = reply.namespaces_size();
    out->namespaces = extractAll<NamespaceC>(reply.namespaces(), extractNamespace);
    for (int64_t i = 0; i < out->count; ++i) {
        const NamespaceC &ns = out->namespaces[i];
        const Namespace &wire = reply.namespaces(i);
        checkText(ns.name, wire.name());
        checkText(ns.cifsAttr, wire.cifsattr());
        checkText(ns.trvnsAttr, wire.trvnsattr());
        FUZZ_CHECK(ns.flags == wire.flags() && ns.number1 == wire.number1() && ns.number2 == wire.number2() &&
                   ns.number3 == wire.number3());
    }
    printNamespaceListC(out);
    freeNamespaceListC(out);
}

// Replies that carry one status only: the status survives a round trip.
template <typename Reply>
void statusOnly(const std::string &bytes) {
    Reply reply;
    if (!reply.ParseFromString(bytes)) return;
    Reply again;
    FUZZ_CHECK(again.ParseFromString(reply.SerializeAsString()));
    FUZZ_CHECK(again.retcode() == reply.retcode());
}

void cifsAttr(const std::string &bytes) {
    GetNSCifsAttrReply reply;
    if (!reply.ParseFromString(bytes)) return;
    char *copy = copyText(reply.cifsattr());
    checkText(copy, reply.cifsattr());
    free(copy);
}

using ReplyHandler = void (*)(const std::string &);

const ReplyHandler kReplies[] = {
    listContents, objStat, dirStat, listAll, junctionTargets, trustees, namespaces, cifsAttr,
    statusOnly<CreateJunctionReply>, statusOnly<CreateFolderReply>, statusOnly<RemoveReply>,
    statusOnly<RenameReply>, statusOnly<MoveReply>, statusOnly<TrusteeGrantReply>, statusOnly<TrusteeRevokeReply>,
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzSilenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    std::string bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    kReplies[data[0] % (sizeof kReplies / sizeof kReplies[0])](bytes);
    return 0;
}
