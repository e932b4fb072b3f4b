// Loading of the transport plug-in and the watcher that reloads it when a
// file in the plug-in directory is created or written.
//
// Plug-ins are pinned with RTLD_NODELETE once their entry is found: their
// code stays mapped after dlclose, because threads they started (gRPC's)
// may still run it.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "paths.h"
#include "plugin_state.h"
#include "trvns_log.h"

namespace {

constexpr size_t kNameBufferSize = 256;
constexpr size_t kPathBufferSize = 512;
constexpr size_t kEventBufferSize = 32768;
// IN_CLOSE_WRITE and IN_MOVED_TO make sure a file is tried once more after
// its writer is done, and that a plug-in installed by rename is seen.
constexpr uint32_t kWatchMask = IN_MODIFY | IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO;

pthread_rwlock_t gPluginLock = PTHREAD_RWLOCK_INITIALIZER;
void *gHandle = nullptr;
trvns_mgmtPluginOps *gOps = nullptr;
char gPluginName[kNameBufferSize];

std::atomic<int> gRunFlag{1};
std::atomic<int> gWakeFd{-1};
pthread_t gWatcherThread;
bool gWatcherStarted = false;
pid_t gWatcherPid = 0;

class WriteLock {
public:
    WriteLock() { pthread_rwlock_wrlock(&gPluginLock); }
    ~WriteLock() { pthread_rwlock_unlock(&gPluginLock); }
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;
};

void unloadPluginLocked() {
    if (gHandle == nullptr) return;
    dlclose(gHandle);
    memset(gPluginName, 0, sizeof gPluginName);
    gHandle = nullptr;
    gOps = nullptr;
}

// A shared object that is still being copied in must not reach dlopen:
// mapping a load segment that lies past the end of the file faults with
// SIGBUS. A file counts as incomplete while its first bytes match the ELF
// magic but its headers are not all there yet (it may grow between this
// check and dlopen, so a short header cannot be left to dlopen to refuse),
// or while a load segment ends past the end of the file. Anything that is
// plainly not ELF goes to dlopen, which reports it.
bool elfSegmentsPresent(const char *path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;  // let dlopen report the error
    bool complete = true;
    struct stat st;
    Elf64_Ehdr header;
    ssize_t got = fstat(fd, &st) == 0 ? pread(fd, &header, sizeof header, 0) : -1;
    if (got >= 0 && got < static_cast<ssize_t>(sizeof header)) {
        size_t compared = std::min(static_cast<size_t>(got), static_cast<size_t>(SELFMAG));
        complete = memcmp(header.e_ident, ELFMAG, compared) != 0;
    } else if (got == sizeof header && memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
               header.e_ident[EI_CLASS] == ELFCLASS64) {
        for (unsigned i = 0; complete && i < header.e_phnum; ++i) {
            Elf64_Phdr segment;
            off_t at = static_cast<off_t>(header.e_phoff + i * sizeof segment);
            if (pread(fd, &segment, sizeof segment, at) != sizeof segment) {
                complete = false;
            } else if (segment.p_type == PT_LOAD &&
                       segment.p_offset + segment.p_filesz > static_cast<uint64_t>(st.st_size)) {
                complete = false;
            }
        }
    }
    close(fd);
    return complete;
}

// A real plug-in stays mapped for the life of the process once loaded:
// threads it started may still run its code after it was replaced.
void pinLoadedObject(const char *path) {
    void *pinned = dlopen(path, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    if (pinned != nullptr) dlclose(pinned);
}

// The library's own descriptors never take 0, 1 or 2: a program started
// with a standard stream closed must not read or write them by mistake.
int aboveStandardStreams(int fd) {
    if (fd < 0 || fd > 2) return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    close(fd);
    return moved;
}

void wakeWatcher() {
    int fd = gWakeFd.load();
    if (fd >= 0) {
        uint64_t one = 1;
        ssize_t ignored = write(fd, &one, sizeof one);
        (void)ignored;
    }
}

// Hands every regular file named in the event buffer to loadPlugin.
void loadFromEvents(const char *buffer, ssize_t length) {
    ssize_t offset = 0;
    while (offset + static_cast<ssize_t>(sizeof(inotify_event)) <= length) {
        const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
        if (event->len != 0 && (event->mask & IN_ISDIR) == 0) loadPlugin(event->name);
        offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
}

}  // namespace

namespace trvns {

ActivePlugin::ActivePlugin() {
    pthread_rwlock_rdlock(&gPluginLock);
    ops_ = gOps;
}

ActivePlugin::~ActivePlugin() { pthread_rwlock_unlock(&gPluginLock); }

void joinPluginWatcher() {
    stopPluginWatcher();
    // A forked child has no watcher thread of its own to wait for.
    if (gWatcherStarted && gWatcherPid == getpid() && !pthread_equal(gWatcherThread, pthread_self())) {
        pthread_join(gWatcherThread, nullptr);
        gWatcherStarted = false;
        int fd = gWakeFd.exchange(-1);
        if (fd >= 0) close(fd);
    }
}

}  // namespace trvns

extern "C" {

TRVNS_EXPORT int loadPlugin(const char *fileName) {
    char path[kPathBufferSize];
    snprintf(path, sizeof path, "%s%s", TRVNS_PLUGIN_DIR, fileName);

    if (!elfSegmentsPresent(path)) {
        TRVNS_LOG(LOG_ERR, "dlopen(%s) failed: %s", path, "file is incomplete (still being written?)");
        return -1;
    }
    void *handle = dlopen(path, RTLD_NOW);
    if (handle == nullptr) {
        TRVNS_LOG(LOG_ERR, "dlopen(%s) failed: %s", path, dlerror());
        return -1;
    }
    auto entry = reinterpret_cast<trvns_getMgmtPluginOps_fn>(dlsym(handle, TRVNS_PLUGIN_ENTRY_SYMBOL));
    if (entry == nullptr) {
        TRVNS_LOG(LOG_ERR, "dlsym(%s) failed: %s", TRVNS_PLUGIN_ENTRY_SYMBOL, dlerror());
        dlclose(handle);
        return -1;
    }
    pinLoadedObject(path);

    WriteLock lock;
    unloadPluginLocked();
    gHandle = handle;
    gOps = entry();
    snprintf(gPluginName, sizeof gPluginName, "%s", fileName);
    return 0;
}

TRVNS_EXPORT void unloadPlugin(void) {
    WriteLock lock;
    unloadPluginLocked();
}

TRVNS_EXPORT void *watchPlugins(void * /*arg*/) {
    int inotifyFd = aboveStandardStreams(inotify_init1(IN_CLOEXEC));
    if (inotifyFd < 0) {
        TRVNS_LOG(LOG_ERR, "inotify_init failed: %s", strerror(errno));
        return nullptr;
    }
    inotify_add_watch(inotifyFd, TRVNS_PLUGIN_DIR, kWatchMask);

    alignas(inotify_event) char buffer[kEventBufferSize];
    while (gRunFlag.load() != 0) {
        pollfd fds[2] = {{inotifyFd, POLLIN, 0}, {gWakeFd.load(), POLLIN, 0}};
        int ready = poll(fds, fds[1].fd >= 0 ? 2 : 1, -1);
        if (ready < 0) {
            if (errno != EINTR) TRVNS_LOG(LOG_ERR, "read failed: %s", strerror(errno));
            continue;
        }
        if (gRunFlag.load() == 0 || (fds[1].revents & POLLIN) != 0) break;
        ssize_t length = read(inotifyFd, buffer, sizeof buffer);
        if (length < 0) {
            if (errno != EINTR && errno != EAGAIN) TRVNS_LOG(LOG_ERR, "read failed: %s", strerror(errno));
            continue;
        }
        loadFromEvents(buffer, length);
    }
    close(inotifyFd);
    return nullptr;
}

TRVNS_EXPORT int startPluginWatcher(void) {
    if (!gWatcherStarted) {
        gRunFlag.store(1);
        gWakeFd.store(aboveStandardStreams(eventfd(0, EFD_CLOEXEC)));
        if (pthread_create(&gWatcherThread, nullptr, watchPlugins, nullptr) == 0) {
            gWatcherStarted = true;
            gWatcherPid = getpid();
        }
    }
    int result = loadPlugin(TRVNS_DEFAULT_PLUGIN);
    bool active;
    {
        trvns::ActivePlugin plugin;
        active = plugin.ops() != nullptr;
    }
    if (!active) {
        TRVNS_LOG(LOG_ERR, "plugin is not yet loaded!");
        return 0;
    }
    return result;
}

TRVNS_EXPORT void stopPluginWatcher(void) {
    gRunFlag.store(0);
    wakeWatcher();
}

}  // extern "C"
