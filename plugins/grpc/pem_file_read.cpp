#include "pem_file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

constexpr char kUnableToOpen[] = "Unable to open file ";

[[noreturn]] void refuse(const std::string &path, const std::string &reason = "") {
    throw std::runtime_error(kUnableToOpen + path + (reason.empty() ? "" : ": " + reason));
}

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

std::string readPemFile(const std::string &path) {
    Descriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    if (file.fd < 0) refuse(path);
    struct stat info {};
    if (fstat(file.fd, &info) != 0) refuse(path, strerror(errno));
    if (!S_ISREG(info.st_mode)) refuse(path, "not a regular file");
    if (info.st_size > static_cast<off_t>(kMaxPemFileSize)) {
        refuse(path, "longer than " + std::to_string(kMaxPemFileSize) + " bytes");
    }
    // One byte over the limit tells a file that grew since fstat.
    std::string content(kMaxPemFileSize + 1, '\0');
    size_t length = 0;
    while (length < content.size()) {
        ssize_t got = read(file.fd, &content[length], content.size() - length);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) refuse(path, strerror(errno));
        if (got == 0) break;
        length += static_cast<size_t>(got);
    }
    if (length > kMaxPemFileSize) refuse(path, "longer than " + std::to_string(kMaxPemFileSize) + " bytes");
    content.resize(length);
    return content;
}
