// The machine-readable rendering of a command: one JSON document per
// command (the envelope below), chosen by the global option
// `--output text|json|json-pretty` that stands before the command word.
//
//   {"output_version": {"major": 1, "minor": 0}, "command": NAME, "ok": BOOL,
//    "status": {"code", "module", "message", "posix"}, "data": ...}
//
// While a command runs in a JSON format its standard output and standard
// error are held in memory files: whatever the command, the library or the
// plug-in prints is kept out of the real standard output, which receives
// only the document.  What went to standard error is passed on to it
// unchanged once the command is done.
#ifndef QTRVNS_JSON_OUTPUT_H
#define QTRVNS_JSON_OUTPUT_H

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

namespace cli {
namespace json {

using Json = nlohmann::ordered_json;

constexpr int kOutputMajor = 1;
constexpr int kOutputMinor = 0;

enum class Format { kText, kJson, kJsonPretty };

void setFormat(Format format);
bool active();  // a JSON format was chosen

// Takes `--output FORMAT` or `--output=FORMAT` from the front of argv
// (element 1).  Returns the number of elements it took (0: none), or -1 after
// writing the error on stderr.
int takeOutputOption(int argc, char **argv);

// The command being run, by its stable name.
void setCommand(const char *name);
// The message of a failure that says nothing on standard error.
void setMessage(const char *message);
// The status an operation (or the connect before it) ended with.
void recordStatus(int module, int status);
// The result of the command; stays null unless the command sets it.  Only
// worth filling when active().
Json &data();
// A result written entry by entry as the document goes out, in place of
// data(): `open` is the data object without its closing brace, `each`
// writes entry i of `count` into the array named `arrayKey`.
struct StreamedData {
    Json head;             // the data's scalar members
    std::string arrayKey;  // the member that holds the entries
    uint64_t count = 0;
    // Fills entry i into `entry`, which is reused from one entry to the
    // next (its members are assigned, not built anew).
    std::function<void(uint64_t i, Json &entry)> entry;
};
void streamData(StreamedData streamed);

// Where a question to the person goes: standard output in text mode, the
// real standard error (never held) in a JSON format.
FILE *promptStream();

// One command's document.  A no-op in text mode.
class CommandScope {
public:
    explicit CommandScope(const char *command);
    ~CommandScope();
    CommandScope(const CommandScope &) = delete;
    CommandScope &operator=(const CommandScope &) = delete;
    // Writes the document for the given exit status; returns it.
    int finish(int exitStatus);
    // Gives standard output and error back without a document.
    void cancel();

private:
    void restore();
    bool held_ = false;
    int savedOut_ = -1;
    int savedErr_ = -1;
    int heldOut_ = -1;
    int heldErr_ = -1;
};

// A stat record's facts, times in RFC 3339 UTC with their epoch seconds.
Json statFacts(const struct stat &st);
void putStatFacts(Json &facts, const struct stat &st);
// "2026-01-02T03:04:05Z"
std::string rfc3339(int64_t epochSeconds);
// A C string as JSON: null for a null pointer.
Json text(const char *value);

}  // namespace json
}  // namespace cli

#endif
