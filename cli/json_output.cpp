#include "json_output.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <optional>

#include "trvns_mgmt.h"

namespace cli {
namespace json {
namespace {

constexpr char kOutputOption[] = "--output";
constexpr char kMissingFormat[] = "Error: --output requires a format: text, json or json-pretty.\n";
constexpr char kUnknownFormat[] = "Error: Unknown output format '%s'; use text, json or json-pretty.\n";

Format gFormat = Format::kText;

struct Report {
    const char *command = nullptr;
    const char *message = nullptr;
    bool statusKnown = false;
    int module = 0;
    int status = 0;
    Json data;
    std::optional<StreamedData> streamed;
};
Report gReport;
int gRealErr = -1;  // the real standard error while a command is held

Json::string_t dump(const Json &value, int indent) {
    // A server may send text that is not UTF-8: each bad byte becomes U+FFFD
    // and everything else is kept; control characters are escaped.
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

std::string readAll(int fd) {
    std::string text;
    if (fd < 0 || lseek(fd, 0, SEEK_SET) < 0) return text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    return text;
}

void writeAll(int fd, const std::string &text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

std::string trimmed(const std::string &text) {
    size_t end = text.find_last_not_of("\n\r \t");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// The last line with a visible character: what a command said last on
// standard output when it had nothing to say on standard error.
std::string lastLine(const std::string &text) {
    std::string body = trimmed(text);
    size_t start = body.find_last_of('\n');
    return start == std::string::npos ? body : body.substr(start + 1);
}

int holdIn(int fd, const char *name) {
    int held = memfd_create(name, MFD_CLOEXEC);
    if (held < 0) {
        char path[] = "/tmp/qtrvns-held-XXXXXX";
        held = mkstemp(path);
        if (held >= 0) unlink(path);
    }
    if (held >= 0) dup2(held, fd);
    return held;
}

}  // namespace

void setFormat(Format format) { gFormat = format; }
bool active() { return gFormat != Format::kText; }

int takeOutputOption(int argc, char **argv) {
    if (argc < 2) return 0;
    const char *word = argv[1];
    const size_t length = sizeof kOutputOption - 1;
    if (strncmp(word, kOutputOption, length) != 0) return 0;
    const char *value;
    int taken;
    if (word[length] == '=') {
        value = word + length + 1;
        taken = 1;
    } else if (word[length] == '\0') {
        if (argc < 3) {
            fputs(kMissingFormat, stderr);
            return -1;
        }
        value = argv[2];
        taken = 2;
    } else {
        return 0;  // some other word that starts alike
    }
    if (strcmp(value, "text") == 0) {
        setFormat(Format::kText);
    } else if (strcmp(value, "json") == 0) {
        setFormat(Format::kJson);
    } else if (strcmp(value, "json-pretty") == 0) {
        setFormat(Format::kJsonPretty);
    } else {
        if (*value == '\0') {
            fputs(kMissingFormat, stderr);
        } else {
            fprintf(stderr, kUnknownFormat, value);
        }
        return -1;
    }
    return taken;
}

void setCommand(const char *name) { gReport.command = name; }

void setMessage(const char *message) { gReport.message = message; }

void recordStatus(int module, int status) {
    gReport.statusKnown = true;
    gReport.module = module;
    gReport.status = status;
}

Json &data() { return gReport.data; }

void streamData(StreamedData streamed) { gReport.streamed = std::move(streamed); }

FILE *promptStream() {
    if (!active()) return stdout;
    static FILE *prompt = nullptr;
    if (gRealErr < 0) return stderr;
    if (prompt == nullptr) prompt = fdopen(dup(gRealErr), "w");
    return prompt != nullptr ? prompt : stderr;
}

CommandScope::CommandScope(const char *command) {
    gReport = Report{};
    gReport.command = command;
    if (!active()) return;
    fflush(stdout);
    fflush(stderr);
    savedOut_ = dup(STDOUT_FILENO);
    savedErr_ = dup(STDERR_FILENO);
    if (savedOut_ < 0 || savedErr_ < 0) return;
    heldOut_ = holdIn(STDOUT_FILENO, "qtrvns-stdout");
    heldErr_ = holdIn(STDERR_FILENO, "qtrvns-stderr");
    gRealErr = savedErr_;
    held_ = true;
}

CommandScope::~CommandScope() { cancel(); }

void CommandScope::restore() {
    if (!held_) return;
    fflush(stdout);
    fflush(stderr);
    dup2(savedOut_, STDOUT_FILENO);
    dup2(savedErr_, STDERR_FILENO);
    close(savedOut_);
    close(savedErr_);
    gRealErr = -1;
    held_ = false;
}

void CommandScope::cancel() {
    if (!held_) return;
    std::string errors = readAll(heldErr_);
    restore();
    writeAll(STDERR_FILENO, errors);
    if (heldOut_ >= 0) close(heldOut_);
    if (heldErr_ >= 0) close(heldErr_);
    heldOut_ = heldErr_ = -1;
}

int CommandScope::finish(int exitStatus) {
    if (!active()) return exitStatus;
    fflush(stdout);
    fflush(stderr);
    const bool ok = exitStatus == 0 && (!gReport.statusKnown || gReport.status == 0);

    Json status;
    if (gReport.statusKnown) {
        // Looked up while output is still held: an unknown status makes
        // the library print a line of its own.
        status["code"] = gReport.status;
        status["module"] = gReport.module;
        status["message"] = text(trvns_mgmt_get_error_message(gReport.module, gReport.status));
        status["posix"] = trvns_mgmt_get_posix_error_code(gReport.module, gReport.status);
        fflush(stdout);
    }
    const std::string output = readAll(heldOut_);
    const std::string errors = readAll(heldErr_);
    if (!gReport.statusKnown) {
        status["code"] = nullptr;
        status["module"] = nullptr;
        std::string message = trimmed(errors);
        if (message.empty() && !ok && gReport.message != nullptr) message = gReport.message;
        if (message.empty() && !ok) message = lastLine(output);
        if (message.empty() && !ok) message = "Error: the command failed with exit status " + std::to_string(exitStatus) + ".";
        status["message"] = message;
        status["posix"] = nullptr;
    }

    Json document;
    document["output_version"] = {{"major", kOutputMajor}, {"minor", kOutputMinor}};
    document["command"] = text(gReport.command);
    document["ok"] = ok;
    document["status"] = std::move(status);
    document["data"] = nullptr;
    if (ok && !gReport.statusKnown) {
        document["data"] = {{"text", output}};  // help, usage and version texts
    } else if (ok && !gReport.streamed) {
        document["data"] = std::move(gReport.data);
    }

    restore();
    writeAll(STDERR_FILENO, errors);
    if (heldOut_ >= 0) close(heldOut_);
    if (heldErr_ >= 0) close(heldErr_);
    heldOut_ = heldErr_ = -1;

    const bool pretty = gFormat == Format::kJsonPretty;
    if (ok && gReport.streamed) {
        StreamedData &streamed = *gReport.streamed;
        if (pretty) {
            Json all = streamed.head;
            Json &entries = all[streamed.arrayKey] = Json::array();
            for (uint64_t i = 0; i < streamed.count; ++i) {
                Json entry;
                streamed.entry(i, entry);
                entries.push_back(std::move(entry));
            }
            document["data"] = std::move(all);
        } else {
            // The envelope up to the data, the data's own members, then
            // the entries one by one: the whole listing is never built.
            std::string envelope = dump(document, -1);
            envelope.resize(envelope.size() - (sizeof "null}" - 1));
            std::string head = dump(streamed.head, -1);
            head.pop_back();
            if (head.size() > 1) head += ',';
            fputs(envelope.c_str(), stdout);
            fputs(head.c_str(), stdout);
            fputs(dump(Json(streamed.arrayKey), -1).c_str(), stdout);
            fputs(":[", stdout);
            // One serializer into one buffer for all the entries.
            std::string buffer;
            nlohmann::detail::serializer<Json> serializer(nlohmann::detail::output_adapter<char>(buffer), ' ',
                                                          Json::error_handler_t::replace);
            Json entry;
            for (uint64_t i = 0; i < streamed.count; ++i) {
                if (i != 0) buffer += ',';
                streamed.entry(i, entry);
                serializer.dump(entry, false, false, 0);
                if (buffer.size() >= 1 << 16) {
                    fwrite(buffer.data(), 1, buffer.size(), stdout);
                    buffer.clear();
                }
            }
            fwrite(buffer.data(), 1, buffer.size(), stdout);
            fputs("]}}\n", stdout);
            fflush(stdout);
            gReport = Report{};
            return exitStatus;
        }
    }
    std::string out = dump(document, pretty ? 2 : -1);
    out += '\n';
    fwrite(out.data(), 1, out.size(), stdout);
    fflush(stdout);
    gReport = Report{};
    return exitStatus;
}

std::string rfc3339(int64_t epochSeconds) {
    time_t t = static_cast<time_t>(epochSeconds);
    struct tm utc {};
    if (gmtime_r(&t, &utc) == nullptr) return std::string();
    char buffer[64];
    strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buffer;
}

Json text(const char *value) { return value != nullptr ? Json(value) : Json(nullptr); }

namespace {

const char *kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "directory";
    if (S_ISREG(mode)) return "file";
    if (S_ISLNK(mode)) return "symlink";
    if (S_ISCHR(mode)) return "character-device";
    if (S_ISBLK(mode)) return "block-device";
    if (S_ISFIFO(mode)) return "fifo";
    if (S_ISSOCK(mode)) return "socket";
    return "unknown";
}

void putTime(Json &facts, const char *name, int64_t seconds) {
    // Neighbouring entries mostly share their times: the text is made
    // again only when the second differs.
    Json &text = facts[name];
    Json &epoch = facts[std::string(name) + "_epoch"];
    if (epoch.is_number_integer() && epoch.get<int64_t>() == seconds && text.is_string()) return;
    text = rfc3339(seconds);
    epoch = seconds;
}

}  // namespace

void putStatFacts(Json &facts, const struct stat &st) {
    facts["kind"] = kindOf(st.st_mode);
    facts["mode"] = static_cast<uint32_t>(st.st_mode & 07777);
    facts["inode"] = static_cast<uint64_t>(st.st_ino);
    facts["links"] = static_cast<uint64_t>(st.st_nlink);
    facts["uid"] = static_cast<uint32_t>(st.st_uid);
    facts["gid"] = static_cast<uint32_t>(st.st_gid);
    facts["size"] = static_cast<int64_t>(st.st_size);
    facts["blocks"] = static_cast<int64_t>(st.st_blocks);
    facts["block_size"] = static_cast<int64_t>(st.st_blksize);
    putTime(facts, "accessed", st.st_atime);
    putTime(facts, "modified", st.st_mtime);
    putTime(facts, "changed", st.st_ctime);
}

Json statFacts(const struct stat &st) {
    Json facts;
    putStatFacts(facts, st);
    return facts;
}

}  // namespace json
}  // namespace cli
