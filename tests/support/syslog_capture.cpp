#include "syslog_capture.h"

#include <poll.h>

#include <cstring>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace trvns_test {

namespace {

constexpr char kLogSocket[] = "/dev/log";

// "<PRI>Mmm dd hh:mm:ss IDENT[PID]: message"
LogLine parse(const std::string &datagram) {
    LogLine line{-1, -1, "", datagram};
    size_t close = datagram.find('>');
    if (datagram.empty() || datagram[0] != '<' || close == std::string::npos) return line;
    int pri = std::stoi(datagram.substr(1, close - 1));
    line.priority = pri & 7;
    line.facility = pri >> 3;
    std::string rest = datagram.substr(close + 1);
    // The timestamp is 15 characters and a blank.
    if (rest.size() > 16) rest = rest.substr(16);
    size_t colon = rest.find(": ");
    if (colon != std::string::npos) {
        std::string ident = rest.substr(0, colon);
        size_t bracket = ident.find('[');
        line.ident = bracket == std::string::npos ? ident : ident.substr(0, bracket);
        line.message = rest.substr(colon + 2);
    } else {
        line.message = rest;
    }
    return line;
}

}  // namespace

SyslogCapture::SyslogCapture() {
    if (getenv("TRVNS_ISOLATED") == nullptr) throw std::runtime_error("not inside the test mount namespace");
    unlink(kLogSocket);
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, kLogSocket, sizeof address.sun_path - 1);
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        throw std::runtime_error(std::string("cannot bind /dev/log: ") + strerror(errno));
    }
    int size = 4 << 20;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    reader_ = std::thread([this] {
        while (!stop_) {
            pollfd ready{fd_, POLLIN, 0};
            if (poll(&ready, 1, 50) > 0) {
                std::lock_guard<std::mutex> lock(mutex_);
                drainLocked();
            }
        }
    });
}

SyslogCapture::~SyslogCapture() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) close(fd_);
    unlink(kLogSocket);
}

void SyslogCapture::drainLocked() {
    char buffer[65536];
    for (;;) {
        ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        std::string datagram(buffer, static_cast<size_t>(n));
        while (!datagram.empty() && (datagram.back() == '\n' || datagram.back() == '\0')) datagram.pop_back();
        lines_.push_back(parse(datagram));
    }
}

std::vector<LogLine> SyslogCapture::lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    drainLocked();
    return lines_;
}

void SyslogCapture::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    drainLocked();
    lines_.clear();
}

std::unique_ptr<LogLine> SyslogCapture::find(const std::string &text) {
    for (const LogLine &line : lines()) {
        if (line.message.find(text) != std::string::npos) return std::make_unique<LogLine>(line);
    }
    return nullptr;
}

bool SyslogCapture::contains(const std::string &text) { return find(text) != nullptr; }

int SyslogCapture::count(const std::string &text) {
    int n = 0;
    for (const LogLine &line : lines()) n += line.message.find(text) != std::string::npos ? 1 : 0;
    return n;
}

bool SyslogCapture::waitFor(const std::string &text, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!contains(text)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string SyslogCapture::dump() {
    std::string text;
    for (const LogLine &line : lines()) {
        text += "<" + std::to_string(line.priority) + "> " + line.ident + ": " + line.message + "\n";
    }
    return text;
}

}  // namespace trvns_test
