// Loading of the transport plug-in and the watcher that reloads it when a
// file in the plug-in directory is created or written.
//
// Only files named like a shared object ("NAME.so", not hidden) are
// plug-ins, and only from a directory that nobody but root or this user can
// change. A plug-in is never mapped from its file. The loader opens the file
// once, refuses it unless it is safe to run as this user, copies the bytes
// that the dynamic loader maps into a sealed memfd, and dlopens that private
// snapshot under a name of its own ("/proc/self/fd/N"; without /proc, a copy
// in a private folder that is removed again once mapped). So a file that is
// overwritten in place cannot fault code mapped from it, and a name loaded
// before maps the file's current bytes: glibc matches loaded objects by name
// and by inode, and every snapshot is a new inode under a new name.
//
// A snapshot that loaded stays loaded for the life of the process: its
// constructors ran and may have left pointers to its code elsewhere (the
// gRPC plug-in hands gRPC its log function), and threads it started may
// still run it after a reload. What keeps their number bounded is that a
// load whose bytes equal those of a snapshot already loaded takes that
// snapshot again instead of mapping another copy, and that the watcher
// loads a file once its writer is done with it, not once per write.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <time.h>
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

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
// No plug-in is anywhere near this; a bigger file is refused unread.
constexpr off_t kMaxPluginSize = off_t{256} << 20;
// Header bytes copied into a snapshot of a file that is not a 64-bit ELF
// object: enough for dlopen to say what is wrong with it.
constexpr off_t kForeignFileBytes = 4096;
// How long connect waits for a plug-in that is being installed, and how
// recent a change of the plug-in directory must be to count as one.
constexpr auto kInstallWait = std::chrono::seconds(5);
constexpr int64_t kInstallSettleNs = 1000 * 1000 * 1000;
// How long the first load waits for the watcher to take its first look at
// the plug-in directory.
constexpr auto kWatchSetupWait = std::chrono::seconds(1);
// How long after the library's start the watch on the plug-in directory is
// put in place. A watch that existed costs the exiting process a wait for
// the kernel to retire it (milliseconds, as much as a whole short command),
// so a command that is over by then never pays it. What changed in the
// directory meanwhile is found by comparing it with its first look.
constexpr int kWatchArmDelayMs = 250;
// File times come from a clock that ticks in steps of milliseconds, so a
// file written again right after the first look may keep the time and size
// it had then. Whatever changed this close to the first look is loaded
// again once the watch is in place.
constexpr int64_t kTimeStepSlackNs = 50 * 1000 * 1000;
// memfd names are cut to this; they only label /proc/PID/maps.
constexpr size_t kSnapshotLabelSize = 200;
// A file that is written but not closed (or created as a link) is loaded
// once nothing happened to it for this long.
constexpr auto kSettleTime = std::chrono::milliseconds(500);
// Where a private copy goes when /proc is not there to name a memfd: the
// first of these that is safe (see folderChainSafe; sticky folders such as
// /tmp count as safe) and allows running code gets a folder of mode 0700.
const char *const kScratchFolders[] = {"/dev/shm", "/run", "/tmp", "/var/tmp"};

constexpr char kIncomplete[] = "file is incomplete (still being written?)";

pthread_rwlock_t gPluginLock = PTHREAD_RWLOCK_INITIALIZER;
// Every snapshot that loaded. Its descriptor holds the copy's bytes, so a
// later load of the same bytes finds it, and, for a snapshot mapped
// through /proc, keeps its name from being given to another one.
struct Snapshot {
    int fd;
    off_t length;
    size_t digest;
    void *handle;
    trvns_getMgmtPluginOps_fn entry;
};
// One load at a time; guards the snapshots.
std::mutex gLoadMutex;
// Built on first use: the library's constructor loads the default plug-in
// before this file's objects with constructors are initialised. Freed when
// the library is unloaded (the snapshots themselves stay loaded).
std::vector<Snapshot> *gSnapshotList = nullptr;
std::vector<Snapshot> &snapshots() {
    if (gSnapshotList == nullptr) gSnapshotList = new std::vector<Snapshot>;
    return *gSnapshotList;
}
// Makes the names of private copies unique within the process.
unsigned long gCopySequence = 0;
void *gHandle = nullptr;
trvns_mgmtPluginOps *gOps = nullptr;
char gPluginName[kNameBufferSize];
// The table the connected session started on; null between sessions.
std::atomic<trvns_mgmtPluginOps *> gSessionOps{nullptr};

std::atomic<int> gRunFlag{1};
std::atomic<int> gWakeFd{-1};
// Set once the watch is in place; until then a wake-up that does not stop
// the watcher puts the watch in place at once.
std::atomic<bool> gWatchArmed{false};
pthread_t gWatcherThread;
bool gWatcherStarted = false;
pid_t gWatcherPid = 0;

// The watcher tells the starting thread once it has taken its first look at
// the directory, so the first load cannot miss a file installed right after
// it.
std::mutex gWatchReadyMutex;
std::condition_variable gWatchReadyChanged;
bool gWatchReady = false;

class WriteLock {
public:
    WriteLock() { pthread_rwlock_wrlock(&gPluginLock); }
    ~WriteLock() { pthread_rwlock_unlock(&gPluginLock); }
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;
};

void unloadPluginLocked() {
    gSessionOps.store(nullptr);
    if (gHandle == nullptr) return;
    // The snapshot keeps its own reference: a snapshot stays loaded.
    memset(gPluginName, 0, sizeof gPluginName);
    gHandle = nullptr;
    gOps = nullptr;
}

// The library's own descriptors never take 0, 1 or 2: a program started
// with a standard stream closed must not read or write them by mistake.
int aboveStandardStreams(int fd) {
    if (fd < 0 || fd > 2) return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    close(fd);
    return moved;
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }
    // Leaves the descriptor open for good.
    void keep() { fd_ = -1; }
    void reset(int fd) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// ---- What the loader refuses ------------------------------------------

// Files that anyone but root or this user could have written must never run
// in this process: the same rules as sudo's plug-ins and OpenSSH's
// StrictModes. A symbolic link is judged by its target (the file is opened
// through it and checked on the open descriptor).
struct FileRule {
    bool (*violated)(const struct stat &st);
    const char *reason;
};

const FileRule kFileRules[] = {
    {[](const struct stat &st) { return !S_ISREG(st.st_mode); }, "not a regular file"},
    {[](const struct stat &st) { return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0; },
     "writable by its group or by others"},
    {[](const struct stat &st) { return st.st_uid != 0 && st.st_uid != geteuid(); },
     "owned by a user other than root or the effective user"},
    {[](const struct stat &st) { return st.st_size > kMaxPluginSize; }, "larger than 256 MiB"},
};

// The reason `st` is refused, null when it is acceptable.
const char *unsafeFileReason(const struct stat &st) {
    for (const FileRule &rule : kFileRules) {
        if (rule.violated(st)) return rule.reason;
    }
    return nullptr;
}

// Plug-ins are shared objects by name: "NAME.so", never a hidden file. So
// what editors, administrators and installers leave beside a plug-in is
// never loaded: backups (libremoteops.so.bak, libremoteops.so~), dpkg's
// libremoteops.so.dpkg-new and .dpkg-tmp, rsync's and mktemp's hidden
// temporary files. A name never leads out of the plug-in directory.
bool isPluginFileName(const char *name) {
    size_t length = strlen(name);
    return length > 3 && name[0] != '.' && strcmp(name + length - 3, ".so") == 0 && strchr(name, '/') == nullptr;
}

constexpr char kNotAPluginName[] = "not a plug-in file name (NAME.so, not hidden)";

// Why a folder on the way to code this process runs is unsafe, null when
// it is not: the rules OpenSSH applies to the folders above a key file. A
// sticky folder (/tmp) is safe where `stickyAllowed`: nobody can remove or
// rename what another user made in it.
const char *unsafeFolderReason(const struct stat &st, bool stickyAllowed) {
    if (!S_ISDIR(st.st_mode)) return "not a folder";
    if (st.st_uid != 0 && st.st_uid != geteuid()) return "owned by a user other than root or the effective user";
    bool sticky = (st.st_mode & S_ISVTX) != 0;
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !(stickyAllowed && sticky)) {
        return "writable by its group or by others";
    }
    return nullptr;
}

// Checks `path` and every folder above it, as written and as resolved (a
// symbolic link on the way is judged by the folder that holds it and by
// where it leads). A folder that does not exist is skipped: opening through
// it fails anyway. On an unsafe folder returns false with it and the reason.
// What is checked is the path's own folders: a folder mounted there by
// bind is judged by its own owner and mode, and by the folders of the path
// above it, never by those of the place it came from.
bool folderChainSafe(const char *path, bool stickyAllowed, std::string &folder, const char *&reason) {
    std::vector<std::string> chains{path};
    char resolved[PATH_MAX];
    if (realpath(path, resolved) != nullptr) chains.emplace_back(resolved);
    for (std::string current : chains) {
        while (current.size() > 1 && current.back() == '/') current.pop_back();
        for (;;) {
            struct stat st;
            if (stat(current.c_str(), &st) == 0) {
                reason = unsafeFolderReason(st, stickyAllowed);
                if (reason != nullptr) {
                    folder = current;
                    return false;
                }
            }
            size_t slash = current.rfind('/');
            if (slash == std::string::npos || current == "/") break;
            current = slash == 0 ? "/" : current.substr(0, slash);
        }
    }
    return true;
}

// ---- The private snapshot ---------------------------------------------

// A shared object that is still being copied in must not reach dlopen. A
// snapshot counts as incomplete while its first bytes match the ELF magic but
// its headers are not all there, or while a load segment ends past its end.
// Anything that is plainly not ELF goes to dlopen, which reports it.
bool elfSegmentsPresent(int fd) {
    struct stat st;
    Elf64_Ehdr header;
    ssize_t got = fstat(fd, &st) == 0 ? pread(fd, &header, sizeof header, 0) : -1;
    if (got >= 0 && got < static_cast<ssize_t>(sizeof header)) {
        size_t compared = std::min(static_cast<size_t>(got), static_cast<size_t>(SELFMAG));
        return memcmp(header.e_ident, ELFMAG, compared) != 0;
    }
    if (got != sizeof header || memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        return true;
    }
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        off_t at = static_cast<off_t>(header.e_phoff + i * sizeof segment);
        if (pread(fd, &segment, sizeof segment, at) != sizeof segment) return false;
        if (segment.p_type == PT_LOAD && segment.p_offset + segment.p_filesz > static_cast<uint64_t>(st.st_size)) {
            return false;
        }
    }
    return true;
}

using Range = std::pair<off_t, off_t>;  // [first, end) of the file

// The parts of the file that dlopen reads or maps: the ELF header, the
// program headers and every segment, widened to whole pages (mmap maps
// pages). Debug sections are left out; they are most of a file built with
// debug information and the loader never touches them. A segment that ends
// past the end of the file keeps its end, so the copy comes out short.
std::vector<Range> imageRanges(int fd, off_t size) {
    const off_t page = sysconf(_SC_PAGESIZE);
    auto pageDown = [&](uint64_t at) { return static_cast<off_t>(at / page * page); };
    auto pageUp = [&](uint64_t end) {
        if (end > static_cast<uint64_t>(size)) return static_cast<off_t>(end);
        return std::min(static_cast<off_t>((end + page - 1) / page * page), size);
    };
    Elf64_Ehdr header;
    bool elf64 = pread(fd, &header, sizeof header, 0) == sizeof header &&
                 memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 && header.e_ident[EI_CLASS] == ELFCLASS64;
    if (!elf64) return {{0, std::min(size, kForeignFileBytes)}};

    std::vector<Range> ranges{{0, pageUp(sizeof header)}};
    uint64_t tableEnd = header.e_phoff + uint64_t{header.e_phnum} * sizeof(Elf64_Phdr);
    ranges.push_back({pageDown(header.e_phoff), pageUp(tableEnd)});
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        off_t at = static_cast<off_t>(header.e_phoff + i * sizeof segment);
        if (pread(fd, &segment, sizeof segment, at) != sizeof segment) break;
        if (segment.p_filesz == 0) continue;
        ranges.push_back({pageDown(segment.p_offset), pageUp(segment.p_offset + segment.p_filesz)});
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<Range> merged;
    for (const Range &range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

// Copies [first, end) of `from` to the same offsets of `to`. Returns how far
// it got: short of `end` when the file ended first; -1 on a read or write
// error.
off_t copyRange(int from, int to, const Range &range) {
    char buffer[65536];
    off_t at = range.first;
    while (at < range.second) {
        size_t want = static_cast<size_t>(std::min<off_t>(sizeof buffer, range.second - at));
        ssize_t got = pread(from, buffer, want, at);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        if (pwrite(to, buffer, static_cast<size_t>(got), at) != got) return -1;
        at += got;
    }
    return at;
}

// An ELF object without section headers is complete for the dynamic loader;
// the copy's header says so instead of pointing at bytes left out.
void dropSectionHeaders(int fd) {
    Elf64_Ehdr header;
    if (pread(fd, &header, sizeof header, 0) != sizeof header || memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        return;
    }
    header.e_shoff = 0;
    header.e_shnum = 0;
    header.e_shstrndx = SHN_UNDEF;
    ssize_t ignored = pwrite(fd, &header, sizeof header, 0);
    (void)ignored;
}

// A new memfd for a snapshot, -1 when the system has none. Where memfds
// are not executable unless asked (vm.memfd_noexec), it asks.
int newMemfd(const char *fileName) {
    char label[kSnapshotLabelSize];
    snprintf(label, sizeof label, "%s", fileName);
    unsigned flags = MFD_CLOEXEC | MFD_ALLOW_SEALING;
#ifdef MFD_EXEC
    int fd = memfd_create(label, flags | MFD_EXEC);
    if (fd >= 0 || errno != EINVAL) return aboveStandardStreams(fd);
#endif
    return aboveStandardStreams(memfd_create(label, flags));
}

// Where the last byte that the dynamic loader uses ends: the end of the
// ELF header, of the program headers or of a segment's file bytes, which
// ever is last. -1 for a file that is not a 64-bit ELF object or whose
// headers are not all there.
off_t loadedEnd(int fd) {
    Elf64_Ehdr header;
    if (pread(fd, &header, sizeof header, 0) != sizeof header || memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        return -1;
    }
    uint64_t end = std::max<uint64_t>(sizeof header, header.e_phoff + uint64_t{header.e_phnum} * sizeof(Elf64_Phdr));
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        off_t at = static_cast<off_t>(header.e_phoff + i * sizeof segment);
        if (pread(fd, &segment, sizeof segment, at) != sizeof segment) return -1;
        end = std::max(end, segment.p_offset + segment.p_filesz);
    }
    return static_cast<off_t>(end);
}

// Fills `snapshot` with the loadable image of `source`, cut short where the
// file ended early. Returns the snapshot's length, -1 with errno set on
// failure. The image ends with the last byte the dynamic loader uses, so
// the same object gives the same image whatever follows it in the file,
// and whether or not that was all written yet (its last page reads as
// zeros past that byte, which nothing reads).
off_t fillSnapshot(int source, const struct stat &st, int snapshot) {
    off_t length = st.st_size;
    for (const Range &range : imageRanges(source, st.st_size)) {
        off_t reached = copyRange(source, snapshot, range);
        if (reached < 0) return -1;
        if (reached < range.second) {
            length = reached;
            break;
        }
    }
    off_t used = loadedEnd(snapshot);
    if (used >= 0 && used < length) length = used;
    if (ftruncate(snapshot, length) != 0) return -1;
    dropSectionHeaders(snapshot);
    return length;
}

bool seal(int memfd) {
    return fcntl(memfd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) == 0;
}

// A snapshot's bytes, mapped for reading.
class Mapping {
public:
    Mapping(int fd, off_t length) : length_(static_cast<size_t>(length)) {
        if (length > 0) data_ = mmap(nullptr, length_, PROT_READ, MAP_PRIVATE, fd, 0);
    }
    ~Mapping() {
        if (data_ != MAP_FAILED) munmap(data_, length_);
    }
    Mapping(const Mapping &) = delete;
    Mapping &operator=(const Mapping &) = delete;
    bool ok() const { return data_ != MAP_FAILED; }
    std::string_view bytes() const { return {static_cast<const char *>(data_), length_}; }

private:
    size_t length_;
    void *data_ = MAP_FAILED;
};

size_t digestOf(int fd, off_t length) {
    Mapping bytes(fd, length);
    return bytes.ok() ? std::hash<std::string_view>{}(bytes.bytes()) : 0;
}

// The snapshot already loaded with exactly these bytes, null when none.
const Snapshot *sameSnapshot(int fd, off_t length, size_t digest) {
    for (const Snapshot &held : snapshots()) {
        if (held.length != length || held.digest != digest) continue;
        Mapping mine(fd, length);
        Mapping theirs(held.fd, held.length);
        if (mine.ok() && theirs.ok() && mine.bytes() == theirs.bytes()) return &held;
    }
    return nullptr;
}

// True when /proc names the descriptor `fd` as `name`: dlopen can map it.
bool procNames(int fd, char *name, size_t size) {
    snprintf(name, size, "/proc/self/fd/%d", fd);
    struct stat viaProc;
    struct stat direct;
    return stat(name, &viaProc) == 0 && fstat(fd, &direct) == 0 && viaProc.st_dev == direct.st_dev &&
           viaProc.st_ino == direct.st_ino;
}

// A snapshot file in a folder of this process's own, for a system without
// /proc (or without memfds). It is removed, with its folder, once dlopen
// has mapped it or failed; the name is never used twice in the process, so
// glibc never takes it for a snapshot loaded before.
class PrivateCopy {
public:
    PrivateCopy() = default;
    ~PrivateCopy() {
        if (!path_.empty()) unlink(path_.c_str());
        if (!folder_.empty()) rmdir(folder_.c_str());
    }
    PrivateCopy(const PrivateCopy &) = delete;
    PrivateCopy &operator=(const PrivateCopy &) = delete;

    // Creates the file, empty, and returns a read-write descriptor of it; -1
    // when no scratch folder is usable.
    int create(const char *fileName) {
        for (const char *base : kScratchFolders) {
            std::string unsafeFolder;
            const char *reason;
            struct statvfs fs;
            if (!folderChainSafe(base, true, unsafeFolder, reason) || statvfs(base, &fs) != 0 ||
                (fs.f_flag & ST_NOEXEC) != 0) {
                continue;
            }
            std::string folder = std::string(base) + "/trvns-plugin-XXXXXX";
            if (mkdtemp(&folder[0]) == nullptr) continue;
            folder_ = folder;
            path_ = folder + "/" + std::to_string(++gCopySequence) + "-" + fileName;
            int fd = aboveStandardStreams(open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0500));
            if (fd >= 0) return fd;
            path_.clear();
            rmdir(folder_.c_str());
            folder_.clear();
        }
        return -1;
    }
    const char *path() const { return path_.c_str(); }

private:
    std::string folder_;
    std::string path_;
};

constexpr char kNoPrivateName[] =
    "cannot map a private copy: /proc/self/fd is not available and no folder for a copy is usable "
    "(safe, allowing execution: /dev/shm, /run, /tmp, /var/tmp)";

// dlerror() names the snapshot; the log names the file it was taken from.
void dlerrorFor(const char *snapshotName, const char *path, char *text, size_t size) {
    const char *error = dlerror();
    if (error == nullptr) error = "unknown error";
    size_t nameLength = strlen(snapshotName);
    if (strncmp(error, snapshotName, nameLength) == 0) {
        snprintf(text, size, "%s%s", path, error + nameLength);
    } else {
        snprintf(text, size, "%s", error);
    }
}

// A real plug-in stays mapped for the life of the process once loaded:
// threads it started may still run its code after it was replaced.
void pinLoadedObject(const char *name) {
    void *pinned = dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    if (pinned != nullptr) dlclose(pinned);
}

// Makes `snapshot` the active plug-in, loaded as `fileName`. The entry
// function runs with the plug-in lock held.
void activatePlugin(const Snapshot &snapshot, const char *fileName) {
    WriteLock lock;
    gHandle = snapshot.handle;
    gOps = snapshot.entry();
    snprintf(gPluginName, sizeof gPluginName, "%s", fileName);
}

// ---- The watcher ------------------------------------------------------

void wakeWatcher() {
    int fd = gWakeFd.load();
    if (fd >= 0) {
        uint64_t one = 1;
        ssize_t ignored = write(fd, &one, sizeof one);
        (void)ignored;
    }
}

void announceWatchReady() {
    {
        std::lock_guard<std::mutex> lock(gWatchReadyMutex);
        gWatchReady = true;
    }
    gWatchReadyChanged.notify_all();
}

bool waitForWatchReady() {
    std::unique_lock<std::mutex> lock(gWatchReadyMutex);
    return gWatchReadyChanged.wait_for(lock, kWatchSetupWait, [] { return gWatchReady; });
}

int64_t nanoseconds(const timespec &at) { return int64_t{at.tv_sec} * 1000 * 1000 * 1000 + at.tv_nsec; }

int64_t realTimeNow() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

// When a file was last written or had its inode changed (renamed into place).
int64_t lastChange(const struct stat &st) { return std::max(nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)); }

// What the directory held at a moment: every entry but folders, with what
// a create, a write or a rename into place changes.
struct EntryState {
    std::string name;
    dev_t device;
    ino_t inode;
    off_t size;
    int64_t modified;
    int64_t changed;
    int64_t lastChange() const { return std::max(modified, changed); }
};

bool sameState(const EntryState &a, const EntryState &b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified == b.modified &&
           a.changed == b.changed;
}

// False when the directory cannot be read (it does not exist).
bool lookAtDirectory(std::vector<EntryState> &entries) {
    entries.clear();
    DIR *directory = opendir(TRVNS_PLUGIN_DIR);
    if (directory == nullptr) return false;
    while (const dirent *entry = readdir(directory)) {
        struct stat st;
        if (fstatat(dirfd(directory), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) {
            continue;
        }
        entries.push_back({entry->d_name, st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim),
                           nanoseconds(st.st_ctim)});
    }
    closedir(directory);
    return true;
}

// The directory at one moment, and when that was.
struct DirectoryLook {
    std::vector<EntryState> entries;
    int64_t at;
    bool found;  // false when the directory could not be read
};

DirectoryLook lookNow() {
    DirectoryLook look;
    look.at = realTimeNow();
    look.found = lookAtDirectory(look.entries);
    return look;
}

// True when `entry` may have changed after `look` without showing it.
bool changedSince(const EntryState &entry, const DirectoryLook &look) {
    bool unchanged = std::any_of(look.entries.begin(), look.entries.end(), [&](const EntryState &old) {
        return old.name == entry.name && sameState(old, entry);
    });
    return !unchanged || entry.lastChange() >= look.at - kTimeStepSlackNs;
}

// Loads what was created or written in the directory since `before`, in
// the order it changed, as the events would have come.
void loadChangedSince(const DirectoryLook &before) {
    std::vector<EntryState> now;
    lookAtDirectory(now);
    std::vector<const EntryState *> changed;
    for (const EntryState &entry : now) {
        if (isPluginFileName(entry.name.c_str()) && changedSince(entry, before)) changed.push_back(&entry);
    }
    std::stable_sort(changed.begin(), changed.end(), [](const EntryState *a, const EntryState *b) {
        return a->lastChange() < b->lastChange();
    });
    for (const EntryState *entry : changed) {
        if (gRunFlag.load() == 0) return;
        loadPlugin(entry->name.c_str());
    }
}

// Empties the wake-up counter; true when the wake-up was a stop.
bool takeWakeUp() {
    uint64_t count;
    ssize_t ignored = read(gWakeFd.load(), &count, sizeof count);
    (void)ignored;
    return gRunFlag.load() == 0;
}

// Waits out the delay before the watch, or until a wake-up. False when the
// watcher is to stop.
bool waitToArm() {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWatchArmDelayMs);
    for (;;) {
        if (gRunFlag.load() == 0) return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        pollfd wake{gWakeFd.load(), POLLIN, 0};
        int ready = poll(&wake, wake.fd >= 0 ? 1 : 0, static_cast<int>(left.count()));
        if (ready > 0) return !takeWakeUp();
    }
}

// A plug-in file that is being written: loaded once it settled.
struct PendingLoad {
    std::string name;
    std::chrono::steady_clock::time_point due;
};

// Sorts the plug-in files named in the event buffer: a file whose writer
// closed it, or that was renamed into place, was whole then and goes to
// `ready` (in the order of those events); one that was created or written
// to is being written and waits in `pending` until nothing happened to it
// for the settle time. A file written again after it was whole is in
// both: it is tried now, and again once it settled if no writer closes it
// meanwhile (so a file replaced over and over is still tried each time
// the watcher reads, never put off for as long as the writes go on).
void sortEvents(const char *buffer, ssize_t length, std::vector<PendingLoad> &pending,
                std::vector<std::string> &ready) {
    auto now = std::chrono::steady_clock::now();
    ssize_t offset = 0;
    while (offset + static_cast<ssize_t>(sizeof(inotify_event)) <= length) {
        const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
        offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (event->len == 0 || (event->mask & IN_ISDIR) != 0 || !isPluginFileName(event->name)) continue;
        std::string name = event->name;
        pending.erase(std::remove_if(pending.begin(), pending.end(),
                                     [&](const PendingLoad &p) { return p.name == name; }),
                      pending.end());
        if ((event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0) {
            ready.erase(std::remove(ready.begin(), ready.end(), name), ready.end());
            ready.push_back(name);
        } else {
            pending.push_back({name, now + kSettleTime});
        }
    }
}

// Moves the pending files that settled to the front of `ready`: their
// last event came before any of those just read.
void takeSettled(std::vector<PendingLoad> &pending, std::vector<std::string> &ready) {
    auto now = std::chrono::steady_clock::now();
    auto settled = std::find_if(pending.begin(), pending.end(), [&](const PendingLoad &p) { return p.due > now; });
    std::vector<std::string> names;
    for (auto it = pending.begin(); it != settled; ++it) {
        if (std::find(ready.begin(), ready.end(), it->name) == ready.end()) names.push_back(it->name);
    }
    pending.erase(pending.begin(), settled);
    ready.insert(ready.begin(), names.begin(), names.end());
}

// How long poll may wait: until the first pending file settles.
int pollTimeout(const std::vector<PendingLoad> &pending) {
    if (pending.empty()) return -1;
    auto left = pending.front().due - std::chrono::steady_clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1;
    return ms < 0 ? 0 : static_cast<int>(ms);
}

bool pluginActive() {
    trvns::ActivePlugin plugin;
    return plugin.ops() != nullptr;
}

// True while the plug-in directory or the default plug-in changed within
// the settle time: a plug-in is being installed (deleted and created again,
// or copied over in place) and the watcher will load it when it is done.
bool installInProgress() {
    int64_t now = realTimeNow();
    auto changedRecently = [&](const char *path) {
        struct stat st;
        return stat(path, &st) == 0 && now - lastChange(st) < kInstallSettleNs;
    };
    return changedRecently(TRVNS_PLUGIN_DIR) || changedRecently(TRVNS_PLUGIN_DIR TRVNS_DEFAULT_PLUGIN);
}

bool watcherRunsHere() { return gWatcherStarted && gWatcherPid == getpid() && gRunFlag.load() != 0; }

}  // namespace

namespace trvns {

ActivePlugin::ActivePlugin(Use use) {
    pthread_rwlock_rdlock(&gPluginLock);
    switch (use) {
    case Use::kCall:
        ops_ = gSessionOps.load();
        if (ops_ == nullptr) ops_ = gOps;
        break;
    case Use::kConnect:
        ops_ = gOps;
        gSessionOps.store(gOps);
        break;
    case Use::kDisconnect:
        ops_ = gSessionOps.exchange(nullptr);
        if (ops_ == nullptr) ops_ = gOps;
        break;
    }
}

ActivePlugin::~ActivePlugin() { pthread_rwlock_unlock(&gPluginLock); }

void watchPluginDirectoryNow() {
    if (!gWatchArmed.load()) wakeWatcher();
}

void awaitPluginBeingInstalled() {
    if (!pluginActive()) watchPluginDirectoryNow();
    auto deadline = std::chrono::steady_clock::now() + kInstallWait;
    while (!pluginActive() && watcherRunsHere() && installInProgress() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void joinPluginWatcher() {
    stopPluginWatcher();
    // A forked child has no watcher thread of its own to wait for.
    if (gWatcherStarted && gWatcherPid == getpid() && !pthread_equal(gWatcherThread, pthread_self())) {
        pthread_join(gWatcherThread, nullptr);
        gWatcherStarted = false;
        int fd = gWakeFd.exchange(-1);
        if (fd >= 0) close(fd);
    }
    // The list goes with the library; what it lists stays loaded, and the
    // snapshots' descriptors stay open to keep their names taken.
    std::lock_guard<std::mutex> loading(gLoadMutex);
    delete gSnapshotList;
    gSnapshotList = nullptr;
}

}  // namespace trvns

extern "C" {

TRVNS_EXPORT int loadPlugin(const char *fileName) {
    if (fileName == nullptr) fileName = "";
    char path[kPathBufferSize];
    snprintf(path, sizeof path, "%s%s", TRVNS_PLUGIN_DIR, fileName);
    if (!isPluginFileName(fileName)) {
        TRVNS_LOG(LOG_ERR, "refusing plug-in %s: %s", path, kNotAPluginName);
        return -1;
    }
    std::string unsafeFolder;
    const char *unsafe = nullptr;
    if (!folderChainSafe(TRVNS_PLUGIN_DIR, false, unsafeFolder, unsafe)) {
        TRVNS_LOG(LOG_ERR, "refusing plug-in %s: folder %s is %s", path, unsafeFolder.c_str(), unsafe);
        return -1;
    }

    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused.
    Descriptor file(open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        TRVNS_LOG(LOG_ERR, "dlopen(%s) failed: %s: cannot open shared object file: %s", path, path,
                  strerror(errno));
        return -1;
    }
    struct stat st;
    if (fstat(file.get(), &st) != 0) {
        TRVNS_LOG(LOG_ERR, "dlopen(%s) failed: %s", path, strerror(errno));
        return -1;
    }
    unsafe = unsafeFileReason(st);
    if (unsafe != nullptr) {
        TRVNS_LOG(LOG_ERR, "refusing plug-in %s: %s", path, unsafe);
        return -1;
    }

    std::lock_guard<std::mutex> loading(gLoadMutex);
    PrivateCopy copy;
    Descriptor snapshot(newMemfd(fileName));
    bool sealable = snapshot.get() >= 0;
    if (!sealable) snapshot.reset(copy.create(fileName));
    off_t length = snapshot.get() < 0 ? -1 : fillSnapshot(file.get(), st, snapshot.get());
    if (length < 0 || (sealable && !seal(snapshot.get()))) {
        const char *why = snapshot.get() < 0 ? "no memfd and no usable folder for a copy" : strerror(errno);
        TRVNS_LOG(LOG_ERR, "dlopen(%s) failed: cannot take a private copy: %s", path, why);
        return -1;
    }
    if (!elfSegmentsPresent(snapshot.get())) {
        TRVNS_LOG(LOG_ERR, "dlopen(%s) failed: %s", path, kIncomplete);
        return -1;
    }
    size_t digest = digestOf(snapshot.get(), length);
    if (const Snapshot *same = sameSnapshot(snapshot.get(), length, digest)) {
        activatePlugin(*same, fileName);
        return 0;
    }

    char procName[32];
    const char *snapshotName = procName;
    if (!sealable) {
        snapshotName = copy.path();
    } else if (!procNames(snapshot.get(), procName, sizeof procName)) {
        Descriptor placed(copy.create(fileName));
        if (placed.get() < 0 || copyRange(snapshot.get(), placed.get(), {0, length}) != length) {
            TRVNS_LOG(LOG_ERR, "dlopen(%s) failed: %s", path, kNoPrivateName);
            return -1;
        }
        snapshotName = copy.path();
    }
    void *handle = dlopen(snapshotName, RTLD_NOW);
    if (handle == nullptr) {
        char error[kPathBufferSize * 2];
        dlerrorFor(snapshotName, path, error, sizeof error);
        TRVNS_LOG(LOG_ERR, "dlopen(%s) failed: %s", path, error);
        return -1;
    }
    auto entry = reinterpret_cast<trvns_getMgmtPluginOps_fn>(dlsym(handle, TRVNS_PLUGIN_ENTRY_SYMBOL));
    if (entry == nullptr) {
        char error[kPathBufferSize * 2];
        dlerrorFor(snapshotName, path, error, sizeof error);
        TRVNS_LOG(LOG_ERR, "dlsym(%s) failed: %s", TRVNS_PLUGIN_ENTRY_SYMBOL, error);
        dlclose(handle);
        return -1;
    }
    pinLoadedObject(snapshotName);
    snapshots().push_back({snapshot.get(), length, digest, handle, entry});
    snapshot.keep();
    activatePlugin(snapshots().back(), fileName);
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
        announceWatchReady();
        return nullptr;
    }
    DirectoryLook firstLook = lookNow();
    announceWatchReady();
    if (!waitToArm()) {
        close(inotifyFd);
        return nullptr;
    }
    // A directory missing at the start is never watched.
    if (firstLook.found) {
        inotify_add_watch(inotifyFd, TRVNS_PLUGIN_DIR, kWatchMask);
        loadChangedSince(firstLook);
    }
    gWatchArmed.store(true);

    alignas(inotify_event) char buffer[kEventBufferSize];
    std::vector<PendingLoad> pending;
    while (gRunFlag.load() != 0) {
        pollfd fds[2] = {{inotifyFd, POLLIN, 0}, {gWakeFd.load(), POLLIN, 0}};
        int ready = poll(fds, fds[1].fd >= 0 ? 2 : 1, pollTimeout(pending));
        if (ready < 0) {
            if (errno != EINTR) TRVNS_LOG(LOG_ERR, "read failed: %s", strerror(errno));
            continue;
        }
        if (gRunFlag.load() == 0 || ((fds[1].revents & POLLIN) != 0 && takeWakeUp())) break;
        std::vector<std::string> whole;
        if ((fds[0].revents & POLLIN) != 0) {
            ssize_t length = read(inotifyFd, buffer, sizeof buffer);
            if (length < 0) {
                if (errno != EINTR && errno != EAGAIN) TRVNS_LOG(LOG_ERR, "read failed: %s", strerror(errno));
                continue;
            }
            sortEvents(buffer, length, pending, whole);
        }
        takeSettled(pending, whole);
        for (const std::string &name : whole) {
            if (gRunFlag.load() == 0) break;
            loadPlugin(name.c_str());
        }
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
            waitForWatchReady();
        }
    }
    int result = loadPlugin(TRVNS_DEFAULT_PLUGIN);
    if (!pluginActive()) {
        trvns::watchPluginDirectoryNow();
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
