// What every command handler shares: the option parser reset, the
// visible-character rule, output helpers and the connection wrappers.
#ifndef QTRVNS_HANDLER_SUPPORT_H
#define QTRVNS_HANDLER_SUPPORT_H

#include <getopt.h>

#include <cstdlib>
#include <memory>

namespace cli {

using Handler = int (*)(int argc, char **argv);

constexpr int kExitUsageError = 1;

// Readies getopt_long for a fresh vector: silent, GNU argument permutation.
void resetOptionParser();

// True when the text has a character other than POSIX white space.
bool hasVisibleCharacter(const char *text);

// An option or validation error of the program itself, on stderr.
void printError(const char *message);

// The two connection wrappers of the program.
int connectService();
int disconnectService();

// The output format words of the commands that accept them.
class OutputFormat {
public:
    enum Option { kJson = 1000, kXml = 1001, kText = 1002 };
    // Takes one format option; false when a format was given before.
    bool take(int option);
    const char *name() const { return name_; }

private:
    bool given_ = false;
    const char *name_ = "text";
};

#define QTRVNS_FORMAT_LONG_OPTIONS                                                      \
    {"json", no_argument, nullptr, cli::OutputFormat::kJson},                           \
        {"xml", no_argument, nullptr, cli::OutputFormat::kXml},                         \
        {"text", no_argument, nullptr, cli::OutputFormat::kText}

struct FreeDeleter {
    void operator()(char *text) const { free(text); }
};
using HeapString = std::unique_ptr<char, FreeDeleter>;


}  // namespace cli

#endif

namespace cli {

// A path option and a format word, as objstat, list-junctions and
// trustee-list take them ("p:h", "--path", "--json|--xml|--text", "--help").
struct PathAndFormat {
    const char *path = nullptr;
    OutputFormat format;
};
// Returns -1 when the arguments are complete, else the exit status.
int parsePathAndFormat(int argc, char **argv, PathAndFormat &parsed, void (*usage)());

// stderr message, then the usage, exit status 1.
int failWithUsage(const char *message, void (*usage)());
// stderr message only, exit status 1.
int fail(const char *message);
// Sentence of a namespace-service status (module type 1).
const char *statusText(int status);
// The exit status of the modifying commands: the status's POSIX value.
int posixExitStatus(int status);

}  // namespace cli
