// export -n NS [-o FILE]: a batch file that recreates a namespace.  Folders
// come before what they hold; children are written in name order so that
// the same namespace always gives the same file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "batch_words.h"
#include "commands.h"
#include "handler_support.h"
#include "help_texts.h"
#include "messages.h"
#include "text.h"
#include "trvnamespace.pb.h"  // the TargetType numbering of the records
#include "trvns_mgmt.h"

namespace cli {
namespace {

constexpr uint32_t kRootUid = 0;
constexpr uint32_t kAnyUser = 0xffffffffu;
constexpr char kUnsetAttribute[] = "None";  // what create -n sets

const option kExportOptions[] = {
    {"namespace", required_argument, nullptr, 'n'},
    {"output", required_argument, nullptr, 'o'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

// Keeps standard output for the export itself: what the plug-in prints
// about the records it receives goes to /dev/null meanwhile.
class QuietStandardOutput {
public:
    QuietStandardOutput() {
        fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) dup2(null, STDOUT_FILENO);
        if (null >= 0) close(null);
    }
    ~QuietStandardOutput() {
        fflush(stdout);
        if (saved_ < 0) return;
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    QuietStandardOutput(const QuietStandardOutput &) = delete;
    QuietStandardOutput &operator=(const QuietStandardOutput &) = delete;

private:
    int saved_;
};

struct Child {
    std::string name;
    bool folder;
};

// Builds the batch text; every failure is reported on stderr.
class Exporter {
public:
    explicit Exporter(const char *nameSpace) : nameSpace_(nameSpace) {}

    int run() {
        std::string root = trvns::namespaceRoot(nameSpace_);
        line({"create", "-n", nameSpace_});
        int status = cifsAttribute(root);
        if (status == 0) status = trustees(root);
        return status != 0 ? status : tree(root);
    }
    const std::string &text() const { return text_; }

private:
    void line(const std::vector<std::string> &words) {
        for (size_t i = 0; i < words.size(); ++i) text_ += (i ? " " : "") + quoteWord(words[i]);
        text_ += '\n';
    }
    int failed(const std::string &path, int status) {
        fprintf(stderr, msg::kExportFailed, path.c_str(), statusText(status));
        return status;
    }

    // Written only when it differs from what create -n sets.
    int cifsAttribute(const std::string &root) {
        trvns_getNSCifsAttr_input in{TRVNS_MGMT_API_VERSION, kRootUid, &nameSpace_[0], 0};
        trvns_cifs_attr attr{nullptr};
        int status = TRVNS_MGMT_getNSCifsAttr(&in, &attr);
        std::string value = attr.cifsAttr != nullptr ? attr.cifsAttr : "";
        TRVNS_MGMT_freeCifsAttr(&attr);
        if (status != 0) return failed(root, status);
        if (value != kUnsetAttribute) line({"set-cifs-attr", "-n", nameSpace_, "-u", "0", "-a", value});
        return 0;
    }

    // Everything below the root, depth first: each folder's line and
    // trustees, then what it holds, before its next sibling.  The folders
    // being walked are kept on a stack of their own, so no call stack
    // grows with the depth of a chain.
    int tree(const std::string &root) {
        struct Folder {
            std::string path;
            std::vector<Child> children;
            size_t next = 0;
        };
        std::vector<Folder> open(1);
        open.back().path = root;
        int status = list(root, open.back().children);
        while (status == 0 && !open.empty()) {
            Folder &folder = open.back();
            if (folder.next == folder.children.size()) {
                open.pop_back();
                continue;
            }
            const Child &child = folder.children[folder.next++];
            std::string childPath = folder.path + "/" + child.name;
            status = child.folder ? createFolder(childPath) : junction(folder.path, child.name);
            if (status == 0) status = trustees(childPath);
            if (status == 0 && child.folder) {
                Folder below;
                below.path = std::move(childPath);
                status = list(below.path, below.children);
                open.push_back(std::move(below));
            }
        }
        return status;
    }
    int createFolder(const std::string &path) {
        line({"create", "-d", path});
        return 0;
    }

    int list(const std::string &path, std::vector<Child> &children) {
        trvns_dirStat_output out{};
        int status = TRVNS_MGMT_dirStat(kRootUid, path.c_str(), &out);
        if (status != 0) return failed(path, status);
        for (uint64_t i = 0; i < out.count && out.elements != nullptr; ++i) {
            const trvns_stat_element &e = out.elements[i];
            if (e.name == nullptr) continue;
            children.push_back({e.name, e.st != nullptr && S_ISDIR(e.st->st_mode)});
        }
        TRVNS_MGMT_freeDirStatout(&out);
        std::sort(children.begin(), children.end(), [](const Child &a, const Child &b) { return a.name < b.name; });
        return 0;
    }

    int junction(const std::string &parent, const std::string &name) {
        std::string path = parent + "/" + name;
        trvns_target_list targets{};
        int status = TRVNS_MGMT_getTarget(kAnyUser, path.c_str(), &targets, 0);
        if (status != 0) return failed(path, status);
        if (targets.count > 0 && targets.targets != nullptr) {
            const trvns_target &t = targets.targets[0];
            std::vector<std::string> words{"create", "-j", "-d", parent, "-n", name};
            if (t.server != nullptr && *t.server != '\0') words.insert(words.end(), {"-s", t.server});
            words.insert(words.end(), {"-v", t.volume ? t.volume : "", "-t", t.path ? t.path : "/", "-T",
                                       t.type == trvnamespace::TARGET_TYPE_NON_YAR ? "NON-YAR" : "YAR"});
            line(words);
        }
        TRVNS_MGMT_freeTargetList(&targets);
        return 0;
    }

    int trustees(const std::string &path) {
        trvns_trustee_list list{};
        int status = TRVNS_MGMT_trusteeList(path.c_str(), &list, 0);
        if (status != 0) return failed(path, status);
        std::vector<std::string> names;
        for (uint64_t i = 0; i < list.count && list.trustees != nullptr; ++i) {
            if (list.trustees[i].name != nullptr) names.emplace_back(list.trustees[i].name);
        }
        TRVNS_MGMT_freeTrusteeList(&list);
        std::sort(names.begin(), names.end());
        for (const std::string &name : names) line({"trustee-grant", "-p", path, "-t", name});
        return 0;
    }

    std::string nameSpace_;
    std::string text_;
};

int writeExport(const char *file, const std::string &text) {
    FILE *out = file != nullptr ? fopen(file, "we") : stdout;
    if (out == nullptr) {
        fprintf(stderr, msg::kCannotWriteExport, file, strerror(errno));
        return kExitUsageError;
    }
    bool written = fwrite(text.data(), 1, text.size(), out) == text.size();
    written = (out == stdout ? fflush(out) : fclose(out)) == 0 && written;
    if (!written) {
        fprintf(stderr, msg::kCannotWriteExport, file != nullptr ? file : "-", strerror(errno));
        return kExitUsageError;
    }
    return 0;
}

}  // namespace

int ExportHandler(int argc, char **argv, const Context &context) {
    resetOptionParser();
    const char *nameSpace = nullptr;
    const char *file = nullptr;
    const ValueOption values[] = {{'n', &nameSpace, msg::kDuplicateNamespace}, {'o', &file, nullptr}};
    int c;
    while ((c = getopt_long(argc, argv, "n:o:h", kExportOptions, nullptr)) != -1) {
        if (c == 'h') {
            help::exportUsage();
            return 0;
        }
        int taken = takeValue(values, c, optarg);
        if (taken == kNotAValueOption) return failWithUsage(msg::kUnknownOption, help::exportUsage);
        if (taken >= 0) return taken;
    }
    if (nameSpace == nullptr) return failWithUsage(msg::kExportNamespaceRequired, help::exportUsage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, help::exportUsage);

    int status = context.session.acquire();
    if (status != 0) {
        json::recordStatus(TRVNS_MODULE_NAMESPACE, status);
        fprintf(stderr, msg::kServerConnectFailed, status);
        return status;
    }
    Exporter exporter(nameSpace);
    {
        QuietStandardOutput quiet;
        status = exporter.run();
    }
    context.session.release();
    if (status != 0) {
        json::recordStatus(TRVNS_MODULE_NAMESPACE, status);
        return status;
    }
    // In a JSON format the commands travel in the document unless a file
    // was named.
    int written = json::active() && file == nullptr ? 0 : writeExport(file, exporter.text());
    if (written == 0 && json::active()) {
        json::recordStatus(TRVNS_MODULE_NAMESPACE, 0);
        json::Json lines = json::Json::array();
        const std::string &text = exporter.text();
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        json::data() = {{"namespace", nameSpace}, {"file", json::text(file)}, {"commands", std::move(lines)}};
    }
    return written;
}

}  // namespace cli
