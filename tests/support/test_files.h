// Small file helpers for tests and benchmarks that run inside the private
// mount namespace.  Writing and copying throw std::runtime_error when they
// fail; reading a missing file gives an empty text.
#ifndef TRVNS_TEST_FILES_H
#define TRVNS_TEST_FILES_H

#include <string>
#include <vector>

namespace trvns_test {

constexpr char kClientConfig[] = "/etc/opt/brenvik/qtrvns/qtrvnsclientconfig.ini";
constexpr char kServerConfig[] = "/etc/opt/brenvik/qtrvns/qtrvnsconfig.ini";
constexpr char kTreeConfig[] = "/etc/opt/brenvik/Velgard/conf/tmz.conf";
constexpr char kPluginDir[] = "/opt/brenvik/qtrvns/plugins/";

void writeFile(const std::string &path, const std::string &content);
std::string readFile(const std::string &path);
void removeFile(const std::string &path);
// Copies a file the way an administrator would (cp), creating or truncating.
void copyFile(const std::string &from, const std::string &to);

// Runs a command with /bin/sh, feeding `input` on stdin; collects stdout,
// stderr and the exit status.
struct RunResult {
    std::string out;
    std::string err;
    int status = -1;
};
RunResult run(const std::string &command, const std::string &input = "");
// Runs a program with exactly these arguments (no shell); a null input
// closes stdin at once.
RunResult runProgram(const std::string &program, const std::vector<std::string> &args,
                     const char *input = "");

}  // namespace trvns_test

#endif
