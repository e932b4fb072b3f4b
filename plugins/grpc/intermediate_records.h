// Intermediate records of the plug-in: plain structures filled from the
// service's replies (strings copied into malloc'ed blocks), read by the
// adapter to build the library's records, released with free().
#ifndef TRVNS_INTERMEDIATE_RECORDS_H
#define TRVNS_INTERMEDIATE_RECORDS_H

#include <cstdint>

#include "trvnamespace.pb.h"
#include "trvns_mgmt.h"

#define TRVNS_PLUGIN_API __attribute__((visibility("default")))

struct MetadataC {
    uint32_t type;
    char *name;
    uint64_t size;
    uint64_t nodeId;
    uint32_t fileType;
    int64_t createEpoch;
    int64_t modifyEpoch;
    int64_t accessEpoch;
};

struct JunctionListDataC {
    char *folderName;
    char *junctionName;
    char *targetPath;
};

struct TrusteeC {
    char *name;
    char *guid;
    int32_t type;
    uint32_t rights;
};

struct TargetC {
    char *server;
    char *volume;
    char *path;
    int32_t type;
    int32_t status;
};

struct NamespaceC {
    char *name;
    uint32_t flags;
    int64_t number1;
    int64_t number2;
    int64_t number3;
    char *cifsAttr;
    char *trvnsAttr;
};

struct ObjStatOutput {
    int32_t retCode;
    int32_t isDir;
    int64_t elementCount;   // the count the server reports for the object
    int64_t metadataCount;  // the length of `metadata`
    MetadataC *metadata;
};

struct DirStatOutput {
    int32_t retCode;
    int32_t isDir;
    int64_t elementCount;
    MetadataC *metadata;
};

struct ListContentsOutput {
    int32_t retCode;
    int32_t firstCount;
    int32_t secondCount;
    char **firstNames;
    char **secondNames;
};

struct ListAllOutput {
    int32_t retCode;
    int32_t totalJunctions;
    int32_t count;
    JunctionListDataC *entries;
};

struct TrusteeListOutput {
    int32_t retCode;
    int64_t count;
    TrusteeC *trustees;
};

struct TargetListOutput {
    int32_t retCode;
    int64_t count;
    TargetC *targets;
};

struct NamespaceListC {
    int32_t retCode;
    int64_t count;
    NamespaceC *namespaces;
};

extern "C" {

// Extraction of one reply element into one intermediate element.
TRVNS_PLUGIN_API void extractMetadata(MetadataC *dst, const trvnamespace::Metadata &src);
TRVNS_PLUGIN_API void extractMetadataForListAll(JunctionListDataC *dst, const trvnamespace::MetadataForListAll &src);
TRVNS_PLUGIN_API void extractTrustee(TrusteeC *dst, const trvnamespace::Trustee &src);
TRVNS_PLUGIN_API void extractTarget(TargetC *dst, const trvnamespace::Target &src);
TRVNS_PLUGIN_API void extractNamespace(NamespaceC *dst, const trvnamespace::Namespace &src);
TRVNS_PLUGIN_API int32_t convertTargetType(trvnamespace::TargetType type);
TRVNS_PLUGIN_API int32_t convertStatus(trvnamespace::TargetStatus status);
TRVNS_PLUGIN_API void copyTrustee2Grpc(trvns_trustee *src, TrusteeC *dst);

// Printing (standard output) and freeing of the intermediate records.
TRVNS_PLUGIN_API void printMetadata(MetadataC *metadata);
TRVNS_PLUGIN_API void printDirStatOut(DirStatOutput *out);
TRVNS_PLUGIN_API void printObjStatOut(ObjStatOutput *out);
TRVNS_PLUGIN_API void printTrusteeC(TrusteeC *trustee);
TRVNS_PLUGIN_API void printTrusteeListOut(TrusteeListOutput *out);
TRVNS_PLUGIN_API void printTargetC(TargetC *target);
TRVNS_PLUGIN_API void printTargetListOut(TargetListOutput *out);
TRVNS_PLUGIN_API void printNamespaceC(NamespaceC *ns);
TRVNS_PLUGIN_API void printNamespaceListC(NamespaceListC *list);

TRVNS_PLUGIN_API void freeListContentsOutput(ListContentsOutput *out);
TRVNS_PLUGIN_API void freeListAllJunctionsOutput(ListAllOutput *out);
TRVNS_PLUGIN_API void freeDirStatOutput(DirStatOutput *out);
TRVNS_PLUGIN_API void freeObjStatOutput(ObjStatOutput *out);
TRVNS_PLUGIN_API void freeTrusteeC(TrusteeC *trustee);
TRVNS_PLUGIN_API void freeTrusteeListOut(TrusteeListOutput *out);
TRVNS_PLUGIN_API void freeTargetC(TargetC *target);
TRVNS_PLUGIN_API void freeTargetListOut(TargetListOutput *out);
TRVNS_PLUGIN_API void freeNamespaceC(NamespaceC *ns);
TRVNS_PLUGIN_API void freeNamespaceListC(NamespaceListC *list);

}  // extern "C"

// Heap copy of a reply string, all its bytes and a NUL; null when memory
// runs out.
char *copyText(const std::string &text);

#endif
