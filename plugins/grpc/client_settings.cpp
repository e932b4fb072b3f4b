#include "client_settings.h"

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>

#include "heap_string.h"
#include "trvns_log.h"
#include "trvns_mgmt.h"

namespace {

// The library's configuration reader (getConfigValue of the public header),
// looked up at run time: the plug-in is never linked to the library, and an
// older library or another host simply lacks the optional settings.  The
// type comes from the header's declaration, so a change of the reader's
// signature breaks this build rather than the call.
using ConfigReader = decltype(&getConfigValue);
constexpr char kLibrarySoname[] = "libtrvnsmgmt.so.1";
constexpr char kReaderSymbol[] = "getConfigValue";
constexpr char kSection[] = "nsserver";
// Longer deadlines are typing errors; 0 is the way to have none.
constexpr double kMaxTimeoutSeconds = 1e9;

ConfigReader findConfigReader() {
    // By name first, so that a library loaded with RTLD_LOCAL is found too.
    if (void *library = dlopen(kLibrarySoname, RTLD_LAZY | RTLD_NOLOAD)) {
        auto reader = reinterpret_cast<ConfigReader>(dlsym(library, kReaderSymbol));
        dlclose(library);
        if (reader != nullptr) return reader;
    }
    return reinterpret_cast<ConfigReader>(dlsym(RTLD_DEFAULT, kReaderSymbol));
}

}  // namespace

bool parseTimeout(const char *text, std::optional<std::chrono::milliseconds> *deadline) {
    char *end = nullptr;
    const double seconds = strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(seconds) || seconds < 0 || seconds > kMaxTimeoutSeconds) {
        return false;
    }
    if (seconds == 0) {
        deadline->reset();
    } else {
        // Rounded up, so that a tiny timeout never becomes "no deadline".
        *deadline = std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000)));
    }
    return true;
}

ClientSettings readClientSettings() {
    ClientSettings settings;
    ConfigReader reader = findConfigReader();
    if (reader == nullptr) {
        TRVNS_LOG(LOG_DEBUG, "no configuration reader in the host, optional settings are not applied");
        return settings;
    }
    if (trvns::HeapString timeout{reader(kSection, "timeout")}) {
        if (!parseTimeout(timeout.get(), &settings.deadline)) {
            TRVNS_LOG(LOG_ERR, "config value nsserver timeout '%s' is not a number of seconds, %lld s is used",
                      timeout.get(), static_cast<long long>(ClientSettings::kDefaultDeadline.count() / 1000));
        }
    }
    if (trvns::HeapString cert{reader(kSection, "clientcert")}) settings.clientCert = cert.get();
    if (trvns::HeapString key{reader(kSection, "clientkey")}) settings.clientKey = key.get();
    TRVNS_LOG(LOG_DEBUG, "timeout=%g s (0: none), clientcert=%s, clientkey=%s",
              settings.deadline ? settings.deadline->count() / 1000.0 : 0.0, settings.clientCert.c_str(),
              settings.clientKey.c_str());
    return settings;
}
