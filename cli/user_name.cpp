#include "user_name.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bounded_file.h"
#include "ini_file.h"
#include "text.h"

namespace cli {
namespace {

constexpr char kTreeKey[] = "x7q.base.tree-name";
// The longest line read; the rest of a longer line is dropped.
constexpr size_t kTreeFileLineLimit = 511;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

const char *skipBlanks(const char *p) {
    while (isBlank(*p)) ++p;
    return p;
}

}  // namespace

char *getVelgardTree() {
    std::string contents;
    std::string reason;
    if (!trvns::readBoundedFile(kVelgardConfigPath, trvns::kConfigFileLimit, &contents, &reason)) {
        printf("ERROR: getVelgardTree: Failed to open %s: %s\n", kVelgardConfigPath, reason.c_str());
        return nullptr;
    }
    char *tree = nullptr;
    trvns::visitKeyValues(contents, kTreeFileLineLimit, trvns::KeySplit::kFirstEquals,
                          [&](const std::string &key, const std::string &value) {
                              if (key != kTreeKey) return true;
                              if (value.empty()) {
                                  puts("ERROR: getVelgardTree: Empty tree name found in config file");
                              } else if ((tree = trvns::mallocCopy(value)) == nullptr) {
                                  printf("ERROR: getVelgardTree: Failed to allocate %zu bytes for tree name\n",
                                         value.size() + 1);
                              }
                              return false;  // only the first matching line counts
                          });
    return tree;
}

char *convertLdapDnToDottedFormat(const char *dn) {
    if (dn == nullptr) {
        puts("ERROR: convertLdapDnToDottedFormat: Invalid DN parameter");
        return nullptr;
    }
    if (*dn == '\0') {
        puts("ERROR: convertLdapDnToDottedFormat: Empty DN provided");
        return nullptr;
    }
    const size_t length = strlen(dn);
    size_t commas = 0;
    for (const char *p = dn; *p; ++p) commas += *p == ',' ? 1 : 0;
    // "." + every value + one "." per component + NUL.
    char *result = static_cast<char *>(calloc(length + commas + 3, 1));
    if (result == nullptr) {
        puts("ERROR: convertLdapDnToDottedFormat: Failed to allocate memory for result");
        return nullptr;
    }
    char *work = static_cast<char *>(calloc(length + 1, 1));
    if (work == nullptr) {
        puts("ERROR: convertLdapDnToDottedFormat: Failed to allocate memory for DN copy");
        free(result);
        return nullptr;
    }
    memcpy(work, dn, length);
    strcpy(result, ".");
    char *rest = work;
    while (rest != nullptr) {
        char *component = strsep(&rest, ",");
        const char *equals = strchr(skipBlanks(component), '=');
        if (equals == nullptr) continue;  // no attribute value: contributes nothing
        const char *value = skipBlanks(equals + 1);
        size_t n = strlen(value);
        if (n >= 2 && isBlank(value[n - 1])) {
            while (n > 0 && isBlank(value[n - 1])) --n;
        }
        strncat(result, value, n);
        strcat(result, ".");
    }
    size_t resultLength = strlen(result);
    if (resultLength > 1 && result[resultLength - 1] == '.') result[resultLength - 1] = '\0';
    free(work);
    return result;
}

char *processUserName(const char *name) {
    if (name == nullptr) {
        puts("ERROR: processUserName: Invalid name parameter");
        return nullptr;
    }
    if (*name == '\0') {
        puts("ERROR: processUserName: Empty name provided");
        return nullptr;
    }
    const size_t length = strlen(name);
    // Fully qualified dotted names and domain users are already canonical.
    if (name[0] == '.' || strchr(name, '\\') != nullptr) {
        char *copy = trvns::mallocCopy(name, length);
        if (copy == nullptr) printf("ERROR: processUserName: Failed to allocate %zu bytes for name copy\n", length + 1);
        return copy;
    }
    if (length >= 3 && (strncmp(name, "CN=", 3) == 0 || strncmp(name, "cn=", 3) == 0)) {
        char *tree = getVelgardTree();
        if (tree == nullptr) {
            puts("ERROR: processUserName: Failed to get Velgard tree name for LDAP DN conversion");
            return nullptr;
        }
        char *dotted = convertLdapDnToDottedFormat(name);
        if (dotted == nullptr) {
            puts("ERROR: processUserName: Failed to convert LDAP DN to dotted format");
            free(tree);
            return nullptr;
        }
        size_t size = strlen(dotted) + strlen(tree) + 3;
        char *result = static_cast<char *>(calloc(size, 1));
        if (result == nullptr) {
            printf("ERROR: processUserName: Failed to allocate %zu bytes for LDAP DN result\n", size);
        } else {
            snprintf(result, size, "%s.%s.", dotted, tree);
        }
        free(dotted);
        free(tree);
        return result;
    }
    char *tree = getVelgardTree();
    if (tree == nullptr) {
        puts("ERROR: processUserName: Failed to get Velgard tree name");
        return nullptr;
    }
    size_t size = length + strlen(tree) + 4;
    char *result = static_cast<char *>(calloc(size, 1));
    if (result == nullptr) {
        printf("ERROR: processUserName: Failed to allocate %zu bytes for result\n", size);
    } else {
        snprintf(result, size, ".%s.%s.", name, tree);
    }
    free(tree);
    return result;
}

}  // namespace cli
