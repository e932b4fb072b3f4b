// --batch FILE: one command per line on one connection.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "batch_words.h"
#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "json_output.h"
#include "messages.h"

namespace cli {
namespace {

constexpr char kStandardInput[] = "-";
constexpr char kProgramName[] = "qtrvns-mgmt";

enum BatchOption { kForce = 1000, kYes };

const option kBatchOptions[] = {
    {"force", no_argument, nullptr, kForce},
    {"yes", no_argument, nullptr, kYes},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

struct BatchSettings {
    const char *file = nullptr;
    bool force = false;
    bool assumeYes = false;
};

// Returns -1 when the arguments are complete, else the exit status.
int parseBatchArguments(int argc, char **argv, BatchSettings &settings) {
    resetOptionParser();
    int c;
    while ((c = getopt_long(argc, argv, "h", kBatchOptions, nullptr)) != -1) {
        switch (c) {
        case 'h':
            help::batchUsage();
            return 0;
        case kForce:
            settings.force = true;
            break;
        case kYes:
            settings.assumeYes = true;
            break;
        default:
            return failWithUsage(msg::kUnknownOption, help::batchUsage);
        }
    }
    if (argc - optind != 1) return failWithUsage(msg::kBatchFileRequired, help::batchUsage);
    settings.file = argv[optind];
    return -1;
}

// The longest command a batch may hold, in bytes without the newline that
// ends it.  A longer one is refused and ends the batch, --force or not: so
// a file without newlines (a device, a runaway generator) is neither held
// nor read to its end.
constexpr size_t kMaxCommandBytes = size_t{1} << 20;

struct BatchCommand {
    enum Problem { kNone, kTooLong, kNulByte };
    SplitWords split;
    unsigned firstLine = 0;
    Problem problem = kNone;
};

// Reads the batch one command at a time; a command may go on over several
// lines (an open quote, a final backslash).  A command is given back as
// soon as a line of it holds a NUL byte (the next one starts on the line
// after) or it grows past kMaxCommandBytes.
class BatchReader {
public:
    explicit BatchReader(FILE *in) : in_(in) {}

    // False at the end of the batch.
    bool next(BatchCommand &command) {
        command = BatchCommand{};
        WordSplitter splitter;
        size_t bytes = 0;
        bool started = false;
        while (readLine()) {
            if (!started) command.firstLine = lineNumber_;
            started = true;
            // The newline that ends a command is not part of it; one
            // inside it (a quoted word, a backslash) is, once the command
            // goes on.
            const bool endsInNewline = line_.back() == '\n';
            if (bytes + line_.size() - (endsInNewline ? 1 : 0) > kMaxCommandBytes) {
                command.problem = BatchCommand::kTooLong;
                return true;
            }
            bytes += line_.size();
            if (line_.find('\0') != std::string::npos) {
                command.problem = BatchCommand::kNulByte;
                return true;
            }
            if (splitter.feed(line_.data(), line_.size()) != SplitWords::kIncomplete) break;
        }
        if (!started) return false;
        command.split = splitter.finish();  // still kIncomplete when the batch ended inside a word
        return true;
    }
    bool failed() const { return ferror(in_) != 0; }

private:
    // One line with its newline, or the first kMaxCommandBytes + 1 bytes of
    // a longer one (the rest is never read).
    bool readLine() {
        line_.clear();
        int c = EOF;
        while (line_.size() <= kMaxCommandBytes && (c = getc_unlocked(in_)) != EOF) {
            line_ += static_cast<char>(c);
            if (c == '\n') break;
        }
        if (line_.empty()) return false;
        ++lineNumber_;
        return true;
    }

    FILE *in_;
    std::string line_;
    unsigned lineNumber_ = 0;
};

// Refuses a command that cannot run; false when its words are fine.
bool refuseCommand(const BatchCommand &command) {
    switch (command.problem) {
    case BatchCommand::kNone: break;
    case BatchCommand::kTooLong: fprintf(stderr, msg::kCommandTooLong, kMaxCommandBytes); return true;
    case BatchCommand::kNulByte: printError(msg::kNulInCommand); return true;
    }
    switch (command.split.result) {
    case SplitWords::kComplete: return false;
    case SplitWords::kIncomplete: printError(msg::kUnterminatedWord); break;
    case SplitWords::kBadCharacter: printError(msg::kBadCharacter); break;
    case SplitWords::kExpansion: printError(msg::kNoExpansion); break;
    }
    return true;
}

int runWords(const std::vector<std::string> &words, const Context &context) {
    std::vector<std::string> storage;
    storage.reserve(words.size() + 1);
    storage.emplace_back(kProgramName);
    storage.insert(storage.end(), words.begin(), words.end());
    std::vector<char *> argv;
    for (std::string &word : storage) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    return dispatchInBatch(static_cast<int>(storage.size()), argv.data(), context);
}

int runBatch(FILE *in, const BatchSettings &settings, const Context &context) {
    BatchReader reader(in);
    BatchCommand command;
    int lastFailure = 0;  // with --force the batch ends with the last failure's status
    while (reader.next(command)) {
        const bool blank = command.problem == BatchCommand::kNone &&
                           command.split.result == SplitWords::kComplete && command.split.words.empty();
        if (blank) continue;
        bool refused;
        {
            json::CommandScope scope("batch-command");  // a refused line has a document of its own
            refused = refuseCommand(command);
            if (refused) scope.finish(kExitUsageError);
        }
        int status = refused ? kExitUsageError : runWords(command.split.words, context);
        fflush(stdout);  // each command's output before the next one's, and before its failure line
        if (status == 0) continue;
        lastFailure = status;
        fprintf(stderr, msg::kCommandFailed, settings.file, command.firstLine);
        if (!settings.force || command.problem == BatchCommand::kTooLong) return status;
    }
    if (reader.failed()) {
        fprintf(stderr, msg::kCannotReadBatch, settings.file, strerror(errno));
        return kExitUsageError;
    }
    return lastFailure;
}

}  // namespace

int BatchHandler(int argc, char **argv, const Context &) {
    BatchSettings settings;
    bool fromStandardInput = false;
    FILE *in = nullptr;
    {
        // The batch's own words have a document when they fail (or ask for
        // help); its commands have one each.
        json::CommandScope scope("batch");
        int exitStatus = parseBatchArguments(argc, argv, settings);
        if (exitStatus >= 0) return scope.finish(exitStatus);
        fromStandardInput = strcmp(settings.file, kStandardInput) == 0;
        in = fromStandardInput ? stdin : fopen(settings.file, "re");
        if (in == nullptr) {
            fprintf(stderr, msg::kCannotOpenBatch, settings.file, strerror(errno));
            return scope.finish(kExitUsageError);
        }
    }
    int status;
    {
        Session session(true);
        Context context{ExitRule::kRaw, session,
                        settings.assumeYes ? Confirmation::kAssumeYes : Confirmation::kTerminal};
        status = runBatch(in, settings, context);
    }
    if (!fromStandardInput) fclose(in);
    return status;
}

}  // namespace cli
