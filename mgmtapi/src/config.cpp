// INI reader of the client and server configuration files, log masks and
// the log level taken from the server configuration.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <syslog.h>

#include <string>

#include "bounded_file.h"
#include "trvns_log.h"
#include "trvns_mgmt.h"
#include "paths.h"

namespace {

constexpr size_t kPathBufferSize = 256;
char gConfigFile[kPathBufferSize] = TRVNS_CLIENT_CONFIG_PATH;

// Trims white space on both ends in place; returns a pointer into the buffer.
char *trim(char *text) {
    while (*text && isspace(static_cast<unsigned char>(*text))) ++text;
    if (*text) {
        char *end = text + strlen(text) - 1;
        while (end > text && isspace(static_cast<unsigned char>(*end))) --end;
        end[1] = '\0';
    }
    return text;
}

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

    char currentSection[64] = "";
    char line[256];
    char *found = nullptr;
    size_t offset = 0;
    size_t length = 0;
    while (found == nullptr && (length = trvns::nextLinePiece(contents, &offset, line, sizeof line)) > 0) {
        // A line longer than the buffer is cut here, never read as two.
        if (line[length - 1] != '\n') trvns::skipRestOfLine(contents, &offset);
        char *text = trim(line);
        if (*text == '\0' || *text == '#' || *text == ';') continue;
        if (*text == '[') {
            sscanf(text, "[%63[^]]", currentSection);
            continue;
        }
        if (strcmp(currentSection, section) != 0) continue;
        char keyPart[64];
        char valuePart[128];
        if (sscanf(text, "%63[^=]=%127[^\n]", keyPart, valuePart) != 2) continue;
        if (strcmp(trim(keyPart), key) == 0) found = strdup(trim(valuePart));
    }
    return found;
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
