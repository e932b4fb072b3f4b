// Printing and freeing of the plain result records.  Built once as an object
// library linked into both the library, which exports them, and the plug-in,
// whose version script keeps its copy local.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "trvns_log.h"
#include "trvns_mgmt.h"

namespace {

constexpr char kBlue[] = "\033[34m";
constexpr char kGreen[] = "\033[32m";
constexpr char kReset[] = "\033[0m";

// ctime() text of a time, without its newline.
struct TimeText {
    char text[64] = "";
    explicit TimeText(time_t when) {
        if (ctime_r(&when, text) == nullptr) {
            text[0] = '\0';
            return;
        }
        text[strcspn(text, "\n")] = '\0';
    }
};


bool isDirectoryMode(const struct stat *st) { return S_ISDIR(st->st_mode); }

int64_t pagesFor(int64_t total, int64_t pageSize) { return (total + pageSize - 1) / pageSize; }

}  // namespace

extern "C" {

TRVNS_EXPORT void printStat(struct stat *st) {
    if (st == nullptr) return;
    TimeText modified(st->st_mtime);
    printf("st_mtime: \t%s\n ", modified.text);
    printf("st_blksize:\t%ld\n ", static_cast<long>(st->st_blksize));
    printf("st_blocks:\t%ld\n ", static_cast<long>(st->st_blocks));
    printf("st_dev:\t\t%ld\n ", static_cast<long>(st->st_dev));
    printf("st_nlink:\t%ld\n ", static_cast<long>(st->st_nlink));
    printf("st_rdev:\t%ld\n ", static_cast<long>(st->st_rdev));
    if (isDirectoryMode(st)) printf("isaDirectory : True \n");
}

TRVNS_EXPORT void printObjStatout(trvns_objStat_output *out) {
    if (out == nullptr) return;
    printf("Element count: %" PRIu64 "\n", out->count);
    printf("flags: %" PRIu64 "\n", out->flags);
    printStat(&out->st);
}

TRVNS_EXPORT void printStat_1(struct stat *st, const char *name, int isDir) {
    if (st == nullptr) return;
    TimeText modified(st->st_mtime);
    printf("%s %-8s%8d %d %s %s%c %s\n", isDir ? "dr-xr-xr-x" : "lr--r--r--", modified.text,
           static_cast<int>(st->st_blocks), static_cast<int>(st->st_nlink), isDir ? kBlue : kGreen,
           trvnsOrNull(name), isDir ? '/' : ' ', kReset);
}

TRVNS_EXPORT void printStatElement(trvns_stat_element *element) {
    if (element == nullptr || element->st == nullptr) return;
    printStat_1(element->st, element->name, isDirectoryMode(element->st) ? 1 : 0);
}

TRVNS_EXPORT void printDirStatout(trvns_dirStat_output *out) {
    if (out == nullptr) return;
    printf("Element count: %" PRIu64 "\n", out->count);
    if (out->elements == nullptr) return;
    for (uint64_t i = 0; i < out->count; ++i) printStatElement(&out->elements[i]);
}

TRVNS_EXPORT void printListAllJunctionsElement(trvns_junction_entry *entry, int index) {
    if (entry == nullptr) return;
    // "%-20s" prints as "%- 20s" would: the blank flag has no effect on strings.
    printf(" | %-6d | %-20s | %-20s| %-30s \n", index + 1, trvnsOrNull(entry->folderName),
           trvnsOrNull(entry->junctionName), trvnsOrNull(entry->targetPath));
}

TRVNS_EXPORT void printListAllJunctionsout(trvns_listAll_output *out, int pageNum, int pageSize) {
    if (out == nullptr) return;
    const int64_t total = out->totalJunctions;
    int64_t shownPage = 1;
    int64_t pages = 1;
    int64_t shownSize = out->count;
    if (pageNum != 0 && pageSize != 0) {
        shownPage = pageNum;
        pages = pagesFor(total, pageSize);
        shownSize = pageSize;
    } else if (pageSize > 0) {
        pages = pagesFor(total, pageSize);
    }
    printf("Showing page %d of %d [Page size = %d] with total number of junctions: %d\n",
           static_cast<int>(shownPage), static_cast<int>(pages), static_cast<int>(shownSize),
           static_cast<int>(total));
    printf("\n");
    printf(" | %-6s | %-20s | %-20s| %-30s \n", "S.No", "Folder Name", "Junction Name", "Target Path");
    printf("\n");
    int64_t offset = (pageNum == 0 || pages == 1) ? 0 : static_cast<int64_t>(pageNum - 1) * pageSize;
    if (out->entries == nullptr) return;
    for (int32_t i = 0; i < out->count; ++i) {
        printListAllJunctionsElement(&out->entries[i], static_cast<int>(offset + i));
    }
}

TRVNS_EXPORT void printTrustee(trvns_trustee *trustee) {
    if (trustee == nullptr) return;
    printf("  name:%s\n", trvnsOrNull(trustee->name));
    printf("  guid:%s\n", trvnsOrNull(trustee->guid));
    printf("  type:%u\n", trustee->type);
    printf("  rights:%d\n", static_cast<int>(trustee->rights));
}

TRVNS_EXPORT void printTrusteeList(trvns_trustee_list *list) {
    if (list == nullptr || list->trustees == nullptr) return;
    for (uint64_t i = 0; i < list->count; ++i) printTrustee(&list->trustees[i]);
}

TRVNS_EXPORT void printTarget(trvns_target *target) {
    if (target == nullptr) return;
    printf(" Target Info\t\t: %s%s%s%s%s\n", trvnsOrNull(target->server), "/", trvnsOrNull(target->volume), "/",
           trvnsOrNull(target->path));
}

TRVNS_EXPORT void printTargetList(trvns_target_list *list) {
    if (list == nullptr) return;
    printf(" Number of targets\t: %d \n", list->count);
    if (list->targets == nullptr) return;
    for (uint16_t i = 0; i < list->count; ++i) printTarget(&list->targets[i]);
}

TRVNS_EXPORT void printNamespace(trvns_namespace *ns) {
    if (ns == nullptr) return;
    printf(" %s\n", trvnsOrNull(ns->name));
}

TRVNS_EXPORT void printNamespaceList(trvns_namespace_list *list) {
    if (list == nullptr) return;
    printf(" Number of namespaces :%d \n", list->count);
    if (list->namespaces == nullptr) return;
    for (uint16_t i = 0; i < list->count; ++i) printNamespace(&list->namespaces[i]);
}

// The free functions release what a record points to; the record itself
// and its counts stay as they were.

TRVNS_EXPORT void freeObjStatout(trvns_objStat_output * /*out*/) {}

TRVNS_EXPORT void freeStatElement(trvns_stat_element *element) {
    if (element == nullptr) return;
    free(element->name);
    free(element->st);
}

TRVNS_EXPORT void freeDirStatout(trvns_dirStat_output *out) {
    if (out == nullptr) return;
    if (out->elements != nullptr) {
        for (uint64_t i = 0; i < out->count; ++i) freeStatElement(&out->elements[i]);
    }
    free(out->elements);
}

TRVNS_EXPORT void freeTrustee(trvns_trustee *trustee) {
    if (trustee == nullptr) return;
    free(trustee->name);
    free(trustee->guid);
}

TRVNS_EXPORT void freeTrusteeList(trvns_trustee_list *list) {
    if (list == nullptr) return;
    if (list->trustees != nullptr) {
        for (uint64_t i = 0; i < list->count; ++i) freeTrustee(&list->trustees[i]);
    }
    free(list->trustees);
}

TRVNS_EXPORT void freeTarget(trvns_target *target) {
    if (target == nullptr) return;
    free(target->server);
    free(target->volume);
    free(target->path);
}

TRVNS_EXPORT void freeTargetList(trvns_target_list *list) {
    if (list == nullptr) return;
    if (list->targets != nullptr) {
        for (uint16_t i = 0; i < list->count; ++i) freeTarget(&list->targets[i]);
    }
    free(list->targets);
}

TRVNS_EXPORT void freeNamespace(trvns_namespace *ns) {
    if (ns == nullptr) return;
    free(ns->name);
    free(ns->cifsAttr);
    free(ns->trvnsAttr);
}

TRVNS_EXPORT void freeNamespaceList(trvns_namespace_list *list) {
    if (list == nullptr) return;
    if (list->namespaces != nullptr) {
        for (uint16_t i = 0; i < list->count; ++i) freeNamespace(&list->namespaces[i]);
    }
    free(list->namespaces);
}

TRVNS_EXPORT void freeCifsAttr(trvns_cifs_attr *attr) {
    if (attr == nullptr) return;
    free(attr->cifsAttr);
}

}  // extern "C"
