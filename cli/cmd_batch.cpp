// --batch FILE: one command per line on one connection.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "batch_words.h"
#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
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

// Reads the batch one command at a time; a command may go on over several
// lines (an open quote, a final backslash).
class BatchReader {
public:
    explicit BatchReader(FILE *in) : in_(in) {}
    ~BatchReader() { free(line_); }
    BatchReader(const BatchReader &) = delete;
    BatchReader &operator=(const BatchReader &) = delete;

    // False at the end of the batch.  `firstLine` is where the command starts.
    bool next(SplitWords &command, unsigned &firstLine) {
        std::string text;
        while (readLine()) {
            if (text.empty()) firstLine = lineNumber_;
            text += line_;
            command = splitWords(text);
            if (command.result != SplitWords::kIncomplete) return true;
        }
        if (text.empty()) return false;
        command.result = SplitWords::kIncomplete;  // the batch ended inside a word
        return true;
    }
    bool failed() const { return ferror(in_) != 0; }

private:
    bool readLine() {
        if (getline(&line_, &capacity_, in_) < 0) return false;
        ++lineNumber_;
        return true;
    }

    FILE *in_;
    char *line_ = nullptr;
    size_t capacity_ = 0;
    unsigned lineNumber_ = 0;
};

// Refuses a line the splitter could not take; false when the words are fine.
bool refuseLine(const SplitWords &command) {
    switch (command.result) {
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
    SplitWords command;
    unsigned line = 0;
    int status = 0;
    while (reader.next(command, line)) {
        if (command.result == SplitWords::kComplete && command.words.empty()) continue;
        status = refuseLine(command) ? kExitUsageError : runWords(command.words, context);
        fflush(stdout);  // each command's output before the next one's, and before its failure line
        if (status == 0) continue;
        fprintf(stderr, msg::kCommandFailed, settings.file, line);
        if (!settings.force) return status;
    }
    if (reader.failed()) {
        fprintf(stderr, msg::kCannotReadBatch, settings.file, strerror(errno));
        return kExitUsageError;
    }
    return status;
}

}  // namespace

int BatchHandler(int argc, char **argv, const Context &) {
    BatchSettings settings;
    int exitStatus = parseBatchArguments(argc, argv, settings);
    if (exitStatus >= 0) return exitStatus;
    bool fromStandardInput = strcmp(settings.file, kStandardInput) == 0;
    FILE *in = fromStandardInput ? stdin : fopen(settings.file, "re");
    if (in == nullptr) {
        fprintf(stderr, msg::kCannotOpenBatch, settings.file, strerror(errno));
        return kExitUsageError;
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
