#include "handler_support.h"

#include <cctype>
#include <clocale>
#include <cstdio>

#include "messages.h"
#include "trvns_mgmt.h"

namespace cli {

void resetOptionParser() {
    optind = 0;  // 0 makes GNU getopt start over, element 1 first
    opterr = 0;
}

bool hasVisibleCharacter(const char *text) {
    // White space as the POSIX locale classifies it.
    for (const char *p = text; *p != '\0'; ++p) {
        if (!(*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')) return true;
    }
    return false;
}

void printError(const char *message) { fputs(message, stderr); }

Session::~Session() {
    if (open_) TRVNS_MGMT_disconnectTrvNS();
}

int Session::acquire() {
    if (open_) return 0;
    int status = TRVNS_MGMT_connectTrvNS();
    open_ = status == 0;
    return status;
}

int Session::release() {
    if (keepOpen_) return 0;
    open_ = false;
    return TRVNS_MGMT_disconnectTrvNS();
}

bool OutputFormat::take(int option) {
    if (given_) return false;
    given_ = true;
    name_ = option == kJson ? "json" : option == kXml ? "xml" : "text";
    return true;
}

}  // namespace cli

namespace cli {

int failWithUsage(const char *message, void (*usage)()) {
    if (message != nullptr) printError(message);
    usage();
    return kExitUsageError;
}

int fail(const char *message) {
    printError(message);
    return kExitUsageError;
}

void printDisconnect(int status) { printf(msg::kDisconnectCompleted, status); }

void reportFailure(const Outcome &outcome, int status) {
    for (const SpecialText *row = outcome.special; row != nullptr && row->text != nullptr; ++row) {
        if (row->status != status) continue;
        printf(outcome.failureSentence, row->text);
        return;
    }
    if (outcome.failureCode != nullptr) printf(outcome.failureCode, status);
    if (outcome.failureSentence != nullptr) {
        printf(outcome.failureSentence, trvns_mgmt_get_error_message(outcome.module, status));
    }
}

int exitStatus(ExitRule rule, int status) { return rule == ExitRule::kPosix ? posixExitStatus(status) : status; }

const char *statusText(int status) { return trvns_mgmt_get_error_message(TRVNS_MODULE_NAMESPACE, status); }

int posixExitStatus(int status) { return trvns_mgmt_get_posix_error_code(TRVNS_MODULE_NAMESPACE, status); }

}  // namespace cli

namespace cli {
namespace {

const option kPathAndFormatOptions[] = {
    {"path", required_argument, nullptr, 'p'},
    QTRVNS_FORMAT_LONG_OPTIONS,
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

}  // namespace

int parsePathAndFormat(int argc, char **argv, PathAndFormat &parsed, void (*usage)()) {
    resetOptionParser();
    int c;
    while ((c = getopt_long(argc, argv, "p:h", kPathAndFormatOptions, nullptr)) != -1) {
        switch (c) {
        case 'h':
            usage();
            return 0;
        case 'p':
            if (parsed.path != nullptr) return fail(msg::kDuplicatePath);
            parsed.path = optarg;
            break;
        case OutputFormat::kJson:
        case OutputFormat::kXml:
        case OutputFormat::kText:
            if (!parsed.format.take(c)) return fail(msg::kMultipleFormats);
            break;
        default:
            return failWithUsage(msg::kUnknownOption, usage);
        }
    }
    if (parsed.path == nullptr) return failWithUsage(msg::kPathRequired, usage);
    if (optind < argc) return failWithUsage(msg::kUnexpectedArguments, usage);
    return -1;
}

}  // namespace cli
