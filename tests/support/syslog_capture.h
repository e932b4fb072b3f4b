// Receives the process's (and its children's) syslog lines on a datagram
// socket bound at /dev/log inside the test's private mount namespace.
#ifndef TRVNS_TEST_SYSLOG_CAPTURE_H
#define TRVNS_TEST_SYSLOG_CAPTURE_H

#include <chrono>
#include <string>
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
    const std::vector<LogLine> &lines();
    void clear();

    // True when a line whose message contains `text` is present.
    bool contains(const std::string &text);
    // Like contains(), waiting up to `timeout` for the line to arrive.
    bool waitFor(const std::string &text, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The first line whose message contains `text`, or null.
    const LogLine *find(const std::string &text);
    // Count of lines whose message contains `text`.
    int count(const std::string &text);
    std::string dump();

private:
    void drain();
    int fd_ = -1;
    std::vector<LogLine> lines_;
};

}  // namespace trvns_test

#endif
