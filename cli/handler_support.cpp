#include "handler_support.h"

#include <cctype>
#include <clocale>
#include <cstdio>

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

int connectService() { return TRVNS_MGMT_connectTrvNS(); }

int disconnectService() { return TRVNS_MGMT_disconnectTrvNS(); }

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

const char *statusText(int status) { return trvns_mgmt_get_error_message(TRVNS_MODULE_NAMESPACE, status); }

int posixExitStatus(int status) { return trvns_mgmt_get_posix_error_code(TRVNS_MODULE_NAMESPACE, status); }

}  // namespace cli
