// Small text helpers shared by every part of the toolset: trimming, the
// malloc'ed copies handed across the C interface, and the "/TRVNS" prefix
// of namespace paths.
#ifndef TRVNS_TEXT_H
#define TRVNS_TEXT_H

#include <cstddef>
#include <string>

namespace trvns {

// The first component of every namespace path users type.
constexpr char kNamespacePrefix[] = "/TRVNS";
constexpr size_t kNamespacePrefixLength = sizeof kNamespacePrefix - 1;

// True when `path` starts with "/TRVNS" as a whole path component: followed
// by '/' or by the end of the path.  "/TRVNSPT/keep" is a typo, not "/PT/keep".
bool hasNamespacePrefix(const char *path);

// "/TRVNS/<name>", the path of a namespace's root.
std::string namespaceRoot(const std::string &name);

// True for the C locale's white space (isspace): blank, \t, \n, \v, \f, \r.
bool isWhiteSpace(char c);

// Trims white space on both ends in place; returns a pointer into `text`.
char *trimInPlace(char *text);

// `text` without white space on either end.
std::string trimmed(const std::string &text);

// A malloc'ed, NUL-terminated copy of `length` bytes of `text`, for records
// the caller frees with free(); null when out of memory.
char *mallocCopy(const char *text, size_t length);
inline char *mallocCopy(const std::string &text) { return mallocCopy(text.data(), text.size()); }

}  // namespace trvns

#endif
