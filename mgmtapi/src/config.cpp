// INI reader of the client and server configuration files, log masks and
// the log level taken from the server configuration.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <syslog.h>

#include <string>

#include "bounded_file.h"
#include "ini_file.h"
#include "text.h"
#include "trvns_log.h"
#include "trvns_mgmt.h"
#include "paths.h"

namespace {

constexpr size_t kPathBufferSize = 256;
char gConfigFile[kPathBufferSize] = TRVNS_CLIENT_CONFIG_PATH;

struct LevelMask {
    const char *name;
    int mask;
};

// Tried in this order; names compare without regard to case.
constexpr LevelMask kLevelMasks[] = {
    {"DEBUG", 0xff}, {"INFO", 0x7f},     {"WARNING", 0x1f}, {"WARN", 0x1f},
    {"ERROR", 0x0f}, {"ERR", 0x0f},      {"CRITICAL", 0x07}, {"CRIT", 0x07},
};
constexpr int kDefaultLogMask = 0x7f;

void copyPath(char (&dst)[kPathBufferSize], const char *src) {
    strncpy(dst, src, kPathBufferSize);
    dst[kPathBufferSize - 1] = '\0';
}

}  // namespace

extern "C" {

TRVNS_EXPORT void setConfigFile(const char *path) {
    if (path == nullptr || *path == '\0') return;
    copyPath(gConfigFile, path);
}

TRVNS_EXPORT char *getConfigValue(const char *section, const char *key) {
    std::string contents;
    if (!trvns::readBoundedFile(gConfigFile, trvns::kConfigFileLimit, &contents)) return nullptr;

    // A line longer than 255 characters is cut there, never read as two.
    std::string value;
    if (!trvns::findIniValue(contents, trvns::kLibraryIniLimits, section, key, &value)) return nullptr;
    return trvns::mallocCopy(value);
}

TRVNS_EXPORT int getLogMask(const char *level) {
    if (level == nullptr) return kDefaultLogMask;
    for (const LevelMask &entry : kLevelMasks) {
        if (strcasecmp(level, entry.name) == 0) return entry.mask;
    }
    return kDefaultLogMask;
}

TRVNS_EXPORT void setLogLevelFromServerConfig(void) {
    char saved[kPathBufferSize];
    copyPath(saved, gConfigFile);
    setConfigFile(TRVNS_SERVER_CONFIG_PATH);
    char *level = getConfigValue("logger", "log-level");
    if (level != nullptr) {
        int mask = getLogMask(level);
        setlogmask(mask);
        TRVNS_LOG(LOG_DEBUG, "Server log level set to: %s (mask: %d)", level, mask);
        free(level);
    } else {
        setlogmask(kDefaultLogMask);
        TRVNS_LOG(LOG_DEBUG, "Server log level set to default: INFO");
    }
    setConfigFile(saved);
}

}  // extern "C"
