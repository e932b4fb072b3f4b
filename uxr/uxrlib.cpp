#include "uxrlib.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "bounded_file.h"
#include "ini_file.h"

namespace {

constexpr char kUserTable[] = "/etc/opt/brenvik/qtrvns/uxr-users.conf";

bool parseUid(const std::string &text, uint32_t *uid) {
    if (text.empty() || !isdigit(static_cast<unsigned char>(text[0]))) return false;
    errno = 0;
    char *end = nullptr;
    unsigned long value = strtoul(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value > UINT32_MAX) return false;
    *uid = static_cast<uint32_t>(value);
    return true;
}

bool lookUpTable(const std::string &name, uint32_t *uid) {
    std::string contents;
    if (!trvns::readBoundedFile(kUserTable, trvns::kUserTableLimit, &contents)) return false;
    // Names such as ".cn=alice.o=org.T=TREE." hold '=': the uid follows the last one.
    bool found = false;
    trvns::visitKeyValues(contents, 0, trvns::KeySplit::kLastEquals,
                          [&](const std::string &key, const std::string &value) {
                              found = key == name && parseUid(value, uid);
                              return !found;
                          });
    return found;
}

// "alice" of ".alice.org.TREE.", ".cn=alice.o=org.T=TREE." or "DOM\alice".
std::string firstComponent(const std::string &name) {
    size_t backslash = name.rfind('\\');
    if (backslash != std::string::npos) return name.substr(backslash + 1);
    size_t start = name.find_first_not_of('.');
    if (start == std::string::npos) return "";
    size_t end = name.find('.', start);
    std::string component = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t equals = component.find('=');
    return equals == std::string::npos ? component : component.substr(equals + 1);
}

bool lookUpLocalUser(const std::string &user, uint32_t *uid) {
    if (user.empty()) return false;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry;
    passwd *found = nullptr;
    if (getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return false;
    }
    *uid = found->pw_uid;
    return true;
}

}  // namespace

extern "C" int uxrlib_get_uid_from_uname(int /*context*/, const char *name, uint32_t *uid) {
    if (name == nullptr || *name == '\0' || uid == nullptr) return UXR_INVALID_ARGUMENT;
    try {
        std::string text(name);
        if (lookUpTable(text, uid) || lookUpLocalUser(firstComponent(text), uid)) return 0;
    } catch (...) {
        return UXR_NOT_FOUND;
    }
    return UXR_NOT_FOUND;
}
