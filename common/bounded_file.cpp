#include "bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "trvns_log.h"

namespace trvns {
namespace {

constexpr size_t kReadChunk = 64 * 1024;

// Closes the descriptor on every path out of the read.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool refuse(const char *path, const std::string &why, std::string *reason) {
    TRVNS_LOG(LOG_ERR, "Refusing to read %s: %s", path, why.c_str());
    if (reason != nullptr) *reason = why;
    return false;
}

std::string tooLong(size_t limit) { return "longer than " + std::to_string(limit) + " bytes"; }

}  // namespace

bool readBoundedFile(const char *path, size_t limit, std::string *contents, std::string *reason, bool *openFailed) {
    if (openFailed != nullptr) *openFailed = false;
    if (path == nullptr) {
        if (reason != nullptr) *reason = strerror(EINVAL);
        return false;
    }
    // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
    Descriptor file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        if (reason != nullptr) *reason = strerror(errno);
        if (openFailed != nullptr) *openFailed = true;
        return false;
    }
    struct stat status;
    if (fstat(file.get(), &status) != 0) return refuse(path, strerror(errno), reason);
    if (!S_ISREG(status.st_mode)) return refuse(path, "not a regular file", reason);
    if (status.st_size > 0 && static_cast<unsigned long long>(status.st_size) > limit) {
        return refuse(path, tooLong(limit), reason);
    }
    // The size may change while the file is read: read at most one byte past
    // the limit to tell a file that grew too long.
    std::string data;
    for (;;) {
        size_t room = limit + 1 - data.size();
        if (room == 0) return refuse(path, tooLong(limit), reason);
        size_t old = data.size();
        size_t want = room < kReadChunk ? room : kReadChunk;
        data.resize(old + want);
        ssize_t got = read(file.get(), &data[old], want);
        if (got < 0 && errno == EINTR) {
            data.resize(old);
            continue;
        }
        if (got < 0) return refuse(path, strerror(errno), reason);
        data.resize(old + static_cast<size_t>(got));
        if (got == 0) break;
    }
    if (data.size() > limit) return refuse(path, tooLong(limit), reason);
    *contents = std::move(data);
    return true;
}

std::string readBoundedFileOrThrow(const std::string &path, size_t limit, const std::string &failure) {
    std::string contents;
    std::string reason;
    bool openFailed = false;
    if (!readBoundedFile(path.c_str(), limit, &contents, &reason, &openFailed)) {
        throw std::runtime_error(failure + path + (openFailed ? "" : ": " + reason));
    }
    return contents;
}

size_t nextLinePiece(const std::string &text, size_t *offset, char *line, size_t size) {
    if (size == 0) return 0;
    size_t start = *offset;
    size_t end = start;
    while (end < text.size() && end - start < size - 1) {
        if (text[end++] == '\n') break;
    }
    size_t length = end - start;
    memcpy(line, text.data() + start, length);
    line[length] = '\0';
    *offset = end;
    return length;
}

void skipRestOfLine(const std::string &text, size_t *offset) {
    size_t newline = text.find('\n', *offset);
    *offset = newline == std::string::npos ? text.size() : newline + 1;
}

}  // namespace trvns
