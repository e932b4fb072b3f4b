// Receives the process's (and its children's) syslog lines on a datagram
// socket bound at /dev/log inside the test's private mount namespace.  A
// reader thread keeps the socket drained: senders block once a few
// datagrams are queued (net.unix.max_dgram_qlen).
#ifndef TRVNS_TEST_SYSLOG_CAPTURE_H
#define TRVNS_TEST_SYSLOG_CAPTURE_H

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trvns_test {

struct LogLine {
    int priority;   // 0..7
    int facility;   // LOG_LOCAL1 is 17
    std::string ident;
    std::string message;
};

class SyslogCapture {
public:
    SyslogCapture();
    ~SyslogCapture();
    SyslogCapture(const SyslogCapture &) = delete;
    SyslogCapture &operator=(const SyslogCapture &) = delete;

    // Reads everything that arrived so far and returns all lines since the
    // last clear().
    std::vector<LogLine> lines();
    void clear();

    // True when a line whose message contains `text` is present.
    bool contains(const std::string &text);
    // Like contains(), waiting up to `timeout` for the line to arrive.
    bool waitFor(const std::string &text, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // A copy of the first line whose message contains `text`, or null.
    std::unique_ptr<LogLine> find(const std::string &text);
    // Count of lines whose message contains `text`.
    int count(const std::string &text);
    std::string dump();

private:
    void drainLocked();
    int fd_ = -1;
    std::mutex mutex_;
    std::vector<LogLine> lines_;
    std::atomic<bool> stop_{false};
    std::thread reader_;
};

}  // namespace trvns_test

#endif
