#include "text.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace trvns {

bool hasNamespacePrefix(const char *path) {
    if (strncmp(path, kNamespacePrefix, kNamespacePrefixLength) != 0) return false;
    char next = path[kNamespacePrefixLength];
    return next == '/' || next == '\0';
}

std::string namespaceRoot(const std::string &name) { return kNamespacePrefix + ("/" + name); }

bool isWhiteSpace(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }

char *trimInPlace(char *text) {
    while (*text && isWhiteSpace(*text)) ++text;
    if (*text) {
        char *end = text + strlen(text) - 1;
        while (end > text && isWhiteSpace(*end)) --end;
        end[1] = '\0';
    }
    return text;
}

std::string trimmed(const std::string &text) {
    size_t first = 0;
    while (first < text.size() && isWhiteSpace(text[first])) ++first;
    size_t last = text.size();
    while (last > first && isWhiteSpace(text[last - 1])) --last;
    return text.substr(first, last - first);
}

char *mallocCopy(const char *text, size_t length) {
    char *copy = static_cast<char *>(malloc(length + 1));
    if (copy == nullptr) return nullptr;
    memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

}  // namespace trvns
