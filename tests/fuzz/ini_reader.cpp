// The INI reader (getConfigValue) over arbitrary file contents.  The first
// byte picks the section and key looked up; the rest is the file.
#include <sys/mman.h>
#include <syslog.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "trvns_mgmt.h"

namespace {

struct Lookup {
    const char *section;
    const char *key;
};

const Lookup kLookups[] = {
    {"nsserver", "host"}, {"nsserver", "port"}, {"nsserver", "certpath"}, {"logger", "log-level"},
    {"", "k"},            {"s", "port"},
};

constexpr size_t kLineLimit = 255;
constexpr size_t kValueLimit = 127;
const int kMasks[] = {0xff, 0x7f, 0x1f, 0x0f, 0x07};

int gFile = -1;
std::string gPath;

using Value = std::unique_ptr<char, decltype(&free)>;

Value lookUp(const Lookup &lookup) { return Value(getConfigValue(lookup.section, lookup.key), free); }

std::string trimmed(const std::string &text) {
    size_t first = 0;
    while (first < text.size() && isspace(static_cast<unsigned char>(text[first]))) ++first;
    size_t last = text.size();
    while (last > first && isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

// What the reader can see of each physical line is its first 255 bytes,
// up to the first NUL.  A value found must be the value part of one such
// head: after its first '=' (with at most 63 characters before it), cut to
// 127 characters, trimmed.
bool isValueOfSomeLineHead(const std::string &content, const char *value) {
    size_t start = 0;
    while (start <= content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string head = content.substr(start, std::min(end - start, kLineLimit));
        head = trimmed(head.substr(0, strlen(head.c_str())));
        size_t equals = head.find('=');
        if (equals != std::string::npos && equals >= 1 && equals <= 63 &&
            trimmed(head.substr(equals + 1, kValueLimit)) == value) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool isMask(int mask) {
    for (int known : kMasks) {
        if (mask == known) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    gFile = memfd_create("fuzz.ini", MFD_CLOEXEC);
    FUZZ_CHECK(gFile >= 0);
    gPath = "/proc/self/fd/" + std::to_string(gFile);
    setlogmask(LOG_UPTO(LOG_EMERG));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const Lookup &lookup = kLookups[data[0] % (sizeof kLookups / sizeof kLookups[0])];
    std::string content(reinterpret_cast<const char *>(data) + 1, size - 1);
    FUZZ_CHECK(ftruncate(gFile, 0) == 0);
    FUZZ_CHECK(pwrite(gFile, content.data(), content.size(), 0) == static_cast<ssize_t>(content.size()));
    setConfigFile(gPath.c_str());

    Value value = lookUp(lookup);
    Value again = lookUp(lookup);
    // Every lookup reads the file afresh: no state carries over.
    FUZZ_CHECK((value == nullptr) == (again == nullptr));
    if (value == nullptr) return 0;
    FUZZ_CHECK(strcmp(value.get(), again.get()) == 0);

    const char *text = value.get();
    size_t length = strlen(text);
    FUZZ_CHECK(length <= kValueLimit);
    // A value part of 127 blanks (the rest of the line cut off) trims to "".
    if (length > 0) {
        FUZZ_CHECK(!isspace(static_cast<unsigned char>(text[0])));
        FUZZ_CHECK(!isspace(static_cast<unsigned char>(text[length - 1])));
    }
    FUZZ_CHECK(strchr(text, '\n') == nullptr);
    FUZZ_CHECK(isValueOfSomeLineHead(content, text));
    if (*lookup.section != '\0') FUZZ_CHECK(content.find(std::string("[") + lookup.section) != std::string::npos);
    FUZZ_CHECK(isMask(getLogMask(text)));
    return 0;
}
