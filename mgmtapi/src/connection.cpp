// Library start and stop hooks, connect/disconnect through the plug-in, and
// the trimming of "/TRVNS" namespace paths.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "heap_string.h"
#include "plugin_state.h"
#include "text.h"
#include "trvns_log.h"
#include "trvns_status_codes.h"

namespace {

using trvns::HeapString;

// Set by an exit handler once the process has begun to exit.  Exit handlers
// registered after the program's main started run before the shared
// objects' destructors; a dlclose runs the destructor without them.  So
// when the destructor finds the flag set, the process is exiting, its code
// stays mapped to the end, and the watcher is woken but not waited for:
// its inotify close (which can take longer than the whole command) then
// runs alongside the rest of the exit instead of in front of it.
std::atomic<bool> gProcessExiting{false};
std::once_flag gExitHandlerOnce;

void markProcessExiting() { gProcessExiting.store(true); }

// Registered on the first connect, which a program makes from its main.
void registerExitHandler() {
    std::call_once(gExitHandlerOnce, [] { atexit(markProcessExiting); });
}

}  // namespace

extern "C" {

__attribute__((constructor)) TRVNS_EXPORT void init_function(void) {
    openlog("QTRVNS-MGMT", LOG_CONS | LOG_PID, LOG_LOCAL1);
    setLogLevelFromServerConfig();
    syslog(LOG_DEBUG, "mgmtapi library loaded");
    trvnsClientStart();
}

__attribute__((destructor)) TRVNS_EXPORT void cleanup_function(void) {
    syslog(LOG_DEBUG, "Unloading mgmtapi library");
    trvnsClientStop();
    // Wait for the watcher, so that unloading the library never leaves a
    // thread running in unmapped code.
    if (!gProcessExiting.load()) trvns::joinPluginWatcher();
}

TRVNS_EXPORT int trvnsClientStart(void) { return startPluginWatcher(); }

TRVNS_EXPORT void trvnsClientStop(void) {
    disconnectTrvNS();
    stopPluginWatcher();
}

TRVNS_EXPORT int connectTrvNS(void) {
    registerExitHandler();
    // A command started while the plug-in was being replaced waits for it.
    trvns::awaitPluginBeingInstalled();
    trvns::ActivePlugin plugin(trvns::ActivePlugin::Use::kConnect);
    if (plugin.ops() == nullptr) {
        TRVNS_LOG(LOG_ERR, "plugin is not yet loaded!");
        return trvns::status::kNoPlugin;
    }
    HeapString server(getConfigValue("nsserver", "host"));
    if (!server) TRVNS_LOG(LOG_ERR, "config read failed - nsserver host!");
    HeapString port(getConfigValue("nsserver", "port"));
    if (!port) TRVNS_LOG(LOG_ERR, "config read failed - nsserver port!");
    HeapString certPath(getConfigValue("nsserver", "certpath"));
    if (!certPath) TRVNS_LOG(LOG_ERR, "config read failed - nsserver clientCertPath!");
    if (!server || !port || !certPath) {
        TRVNS_LOG(LOG_ERR, "Missing config values, cannot connect");
        return trvns::status::kMissingConfig;
    }
    trvns_clientConfig config{server.get(), port.get(), certPath.get()};
    return plugin.ops()->connect(&config);
}

TRVNS_EXPORT int disconnectTrvNS(void) {
    trvns::ActivePlugin plugin(trvns::ActivePlugin::Use::kDisconnect);
    if (plugin.ops() == nullptr) {
        TRVNS_LOG(LOG_ERR, "plugin is not yet loaded!");
        return trvns::status::kNoPlugin;
    }
    return plugin.ops()->disconnect();
}

TRVNS_EXPORT int TRVNS_MGMT_connectTrvNS(void) { return connectTrvNS(); }

TRVNS_EXPORT int TRVNS_MGMT_disconnectTrvNS(void) { return disconnectTrvNS(); }

TRVNS_EXPORT char *getTrimmedPath(const char *path) {
    if (!trvns::hasNamespacePrefix(path)) {
        TRVNS_LOG(LOG_WARNING, "Path prefix mismatch for '%s'", path);
        return nullptr;
    }
    const char *rest = path + trvns::kNamespacePrefixLength;
    bool needsSlash = *rest != '/';
    size_t length = strlen(rest);
    char *trimmed = static_cast<char *>(malloc(length + (needsSlash ? 2 : 1)));
    if (trimmed == nullptr) {
        TRVNS_LOG(LOG_ERR, "malloc failed");
        return nullptr;
    }
    trimmed[0] = '/';
    memcpy(trimmed + (needsSlash ? 1 : 0), rest, length + 1);
    return trimmed;
}

}  // extern "C"
