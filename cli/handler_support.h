// What every command handler shares: the option parser reset, the
// visible-character rule, output helpers, the session and the runner that
// connects, runs, reports and disconnects.
#ifndef QTRVNS_HANDLER_SUPPORT_H
#define QTRVNS_HANDLER_SUPPORT_H

#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "heap_string.h"
#include "json_output.h"

namespace cli {

constexpr int kExitUsageError = 1;

// How a command turns the service's status into its exit status: as it is,
// or as the status's POSIX value.  A column of the command table.
enum class ExitRule { kRaw, kPosix };

// The connection the commands run on.  Alone, a command connects and
// disconnects; in a batch the first command connects and the connection
// stays open until the batch ends.
class Session {
public:
    explicit Session(bool keepOpen) : keepOpen_(keepOpen) {}
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;
    // 0 when connected (at once if the connection is open), else the status.
    int acquire();
    // The disconnect status a command reports; a kept connection stays open.
    int release();

private:
    bool keepOpen_;
    bool open_ = false;
};

// How purge is confirmed: from standard input when run alone; inside a
// batch never from its lines, but from the terminal or by the batch's --yes.
enum class Confirmation { kStandardInput, kTerminal, kAssumeYes };

// What a handler gets besides its words.
struct Context {
    ExitRule exitRule;
    Session &session;
    Confirmation confirmation;
};

using Handler = int (*)(int argc, char **argv, const Context &context);

// Readies getopt_long for a fresh vector: silent, GNU argument permutation.
void resetOptionParser();

// True when the text has a character other than POSIX white space.
bool hasVisibleCharacter(const char *text);

// An option or validation error of the program itself, on stderr.
void printError(const char *message);

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

// One value option of a handler: the option's character, where its value
// goes and the message for a second occurrence (null: the last one counts).
struct ValueOption {
    int option;
    const char **value;
    const char *duplicateMessage;
};
// Stores the value of `option` into its row; returns -1 when stored, the
// exit status of a duplicate, or -2 when no row has the option.
constexpr int kNotAValueOption = -2;
template <size_t N>
int takeValue(const ValueOption (&rows)[N], int option, const char *value);

using trvns::HeapString;

// stderr message, then the usage, exit status 1.
int failWithUsage(const char *message, void (*usage)());
// stderr message only, exit status 1.
int fail(const char *message);
void printDisconnect(int status);

// Sentence of a namespace-service status (module type 1).
const char *statusText(int status);
// The exit status of the modifying commands: the status's POSIX value.
int posixExitStatus(int status);


// A path option and a format word, as objstat, list-junctions and
// trustee-list take them ("p:h", "--path", "--json|--xml|--text", "--help").
struct PathAndFormat {
    const char *path = nullptr;
    OutputFormat format;
};
// Returns -1 when the arguments are complete, else the exit status.
int parsePathAndFormat(int argc, char **argv, PathAndFormat &parsed, void (*usage)());

// A status with a sentence of its own, printed in place of the usual
// failure lines.
struct SpecialText {
    int status;
    const char *text;
};

// What a command prints around its operation.
struct Outcome {
    const char *connectFailure;   // "%d" line when connect fails; null: silent
    const char *failureCode;      // "%d" line first on failure; null: none
    const char *failureSentence;  // "%s" line with the status sentence; null: none
    int module;                   // whose sentences: namespace or volume
    bool reportDisconnect;        // ends with the disconnect status line
    const SpecialText *special = nullptr;  // rows ending with a null text
};

// What an operation ended with: a status for the runner to report, or an
// exit status the operation has reported itself.
struct Step {
    Step(int status) : status(status) {}  // NOLINT: an operation returns its status
    static Step finished(int exitStatus) {
        Step step(exitStatus);
        step.reported = true;
        return step;
    }
    int status;
    bool reported = false;
};

void reportFailure(const Outcome &outcome, int status);
int exitStatus(ExitRule rule, int status);

// Connect, operation, report and disconnect, the same for every command.
template <typename Operation, typename Success>
int runCommand(const Context &context, const Outcome &outcome, Operation operation, Success onSuccess) {
    int status = context.session.acquire();
    if (status != 0) {
        json::recordStatus(outcome.module, status);
        if (outcome.connectFailure != nullptr) printf(outcome.connectFailure, status);
        return status;
    }
    Step step = operation();
    if (!step.reported) {
        json::recordStatus(outcome.module, step.status);
        if (step.status == 0) {
            onSuccess();
        } else {
            reportFailure(outcome, step.status);
        }
    }
    int disconnected = context.session.release();
    if (outcome.reportDisconnect) printDisconnect(disconnected);
    return step.reported ? step.status : exitStatus(context.exitRule, step.status);
}
inline void nothingToPrint() {}


template <size_t N>
int takeValue(const ValueOption (&rows)[N], int option, const char *value) {
    for (const ValueOption &row : rows) {
        if (row.option != option) continue;
        if (row.duplicateMessage != nullptr && *row.value != nullptr) return fail(row.duplicateMessage);
        *row.value = value;
        return -1;
    }
    return kNotAValueOption;
}

}  // namespace cli

#endif
