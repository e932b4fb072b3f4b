// Printing (standard output, flushed line by line) and freeing of the
// intermediate records.
#include <cstdlib>
#include <iostream>

#include "intermediate_records.h"
#include "trvns_log.h"

namespace {


template <typename Value>
void line(const char *label, const Value &value) {
    std::cout << label << value << std::endl;
}

void element(int64_t index, const char *suffix) { std::cout << " " << index << suffix << std::endl; }

}  // namespace

extern "C" {

TRVNS_PLUGIN_API void printMetadata(MetadataC *m) {
    line("   Type: ", m->type);
    line("   Name: ", trvnsOrNull(m->name));
    line("   fileSize: ", m->size);
    line("   nodeId: ", m->nodeId);
    line("   fileType: ", m->fileType);
    line("   CreateEpoch : ", m->createEpoch);
    line("   modifyEpoch : ", m->modifyEpoch);
    line("   accessEpoch : ", m->accessEpoch);
}

TRVNS_PLUGIN_API void printObjStatOut(ObjStatOutput *out) {
    std::cout << "ObjStatOutput" << std::endl;
    line("isDir", out->isDir);
    line("count", out->metadataCount);
    line("return Code", out->retCode);
    line("metadataCount", out->metadataCount);
    for (int64_t i = 0; i < out->metadataCount; ++i) {
        element(i, "th element");
        printMetadata(&out->metadata[i]);
    }
}

TRVNS_PLUGIN_API void printDirStatOut(DirStatOutput *out) {
    std::cout << "DirStatOutput" << std::endl;
    line("isDir", out->isDir);
    line("ElementCount", out->elementCount);
    // The return code line is continued by the first element's line.
    std::cout << "return Code" << out->retCode << std::flush;
    for (int64_t i = 0; i < out->elementCount; ++i) {
        element(i, "th element");
        printMetadata(&out->metadata[i]);
    }
}

TRVNS_PLUGIN_API void printTrusteeC(TrusteeC *t) {
    line(" name :  ", trvnsOrNull(t->name));
    line(" guid :  ", trvnsOrNull(t->guid));
    line(" type :  ", t->type);
    line(" rights :   ", t->rights);
}

TRVNS_PLUGIN_API void printTrusteeListOut(TrusteeListOutput *out) {
    std::cout << "TrusteeListOutput" << std::endl;
    line("return Code", out->retCode);
    line("count :", out->count);
    for (int64_t i = 0; i < out->count; ++i) {
        element(i, "th trustee");
        printTrusteeC(&out->trustees[i]);
    }
}

TRVNS_PLUGIN_API void printTargetC(TargetC *t) {
    line(" server :  ", trvnsOrNull(t->server));
    line(" volume :  ", trvnsOrNull(t->volume));
    line(" path :  ", trvnsOrNull(t->path));
    line(" targettype :   ", t->type);
    line(" status :   ", t->status);
}

TRVNS_PLUGIN_API void printTargetListOut(TargetListOutput *out) {
    line("count :", out->count);
    for (int64_t i = 0; i < out->count; ++i) printTargetC(&out->targets[i]);
}

TRVNS_PLUGIN_API void printNamespaceC(NamespaceC *ns) { line(" name :  ", trvnsOrNull(ns->name)); }

TRVNS_PLUGIN_API void printNamespaceListC(NamespaceListC *list) {
    std::cout << "NamespaceListing" << std::endl;
    line("return Code", list->retCode);
    line("count :", list->count);
}

TRVNS_PLUGIN_API void freeListContentsOutput(ListContentsOutput *out) {
    for (int32_t i = 0; out->firstNames != nullptr && i < out->firstCount; ++i) free(out->firstNames[i]);
    for (int32_t i = 0; out->secondNames != nullptr && i < out->secondCount; ++i) free(out->secondNames[i]);
    free(out->firstNames);
    free(out->secondNames);
}

TRVNS_PLUGIN_API void freeListAllJunctionsOutput(ListAllOutput *out) {
    for (int32_t i = 0; out->entries != nullptr && i < out->count; ++i) {
        free(out->entries[i].folderName);
        free(out->entries[i].junctionName);
        free(out->entries[i].targetPath);
    }
    free(out->entries);
}

TRVNS_PLUGIN_API void freeDirStatOutput(DirStatOutput *out) {
    for (int64_t i = 0; out->metadata != nullptr && i < out->elementCount; ++i) free(out->metadata[i].name);
    free(out->metadata);
}

TRVNS_PLUGIN_API void freeObjStatOutput(ObjStatOutput *out) {
    for (int64_t i = 0; out->metadata != nullptr && i < out->metadataCount; ++i) free(out->metadata[i].name);
    free(out->metadata);
}

TRVNS_PLUGIN_API void freeTrusteeC(TrusteeC *t) {
    free(t->name);
    free(t->guid);
}

TRVNS_PLUGIN_API void freeTrusteeListOut(TrusteeListOutput *out) {
    for (int64_t i = 0; out->trustees != nullptr && i < out->count; ++i) freeTrusteeC(&out->trustees[i]);
    free(out->trustees);
}

TRVNS_PLUGIN_API void freeTargetC(TargetC *t) {
    free(t->server);
    free(t->volume);
    free(t->path);
}

TRVNS_PLUGIN_API void freeTargetListOut(TargetListOutput *out) {
    for (int64_t i = 0; out->targets != nullptr && i < out->count; ++i) freeTargetC(&out->targets[i]);
    free(out->targets);
}

TRVNS_PLUGIN_API void freeNamespaceC(NamespaceC *ns) {
    free(ns->name);
    free(ns->cifsAttr);
    free(ns->trvnsAttr);
}

TRVNS_PLUGIN_API void freeNamespaceListC(NamespaceListC *list) {
    for (int64_t i = 0; list->namespaces != nullptr && i < list->count; ++i) freeNamespaceC(&list->namespaces[i]);
    free(list->namespaces);
}

}  // extern "C"
