// Path trimming (getTrimmedPath): "/TRVNS" is the prefix only when '/' or
// the end of the path follows it; it comes off and the rest is returned,
// "/" when nothing is left.
#include <syslog.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "trvns_mgmt.h"

namespace {
const std::string kPrefix = "/TRVNS";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    setlogmask(LOG_UPTO(LOG_EMERG));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string input(reinterpret_cast<const char *>(data), size);
    std::string path = input.c_str();  // what a C caller can pass
    std::unique_ptr<char, decltype(&free)> trimmed(getTrimmedPath(path.c_str()), free);
    bool prefixed = path == kPrefix || path.compare(0, kPrefix.size() + 1, kPrefix + "/") == 0;
    FUZZ_CHECK(prefixed == (trimmed != nullptr));
    if (!prefixed) return 0;
    std::string rest = path.substr(kPrefix.size());
    FUZZ_CHECK((rest.empty() ? "/" : rest) == trimmed.get());
    return 0;
}
