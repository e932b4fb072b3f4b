#include "call_report.h"

#include <cstdint>
#include <iterator>

#include "trvns_log.h"

namespace {

using google::protobuf::MessageLite;

// Indexed by the numeric value of grpc::StatusCode.
constexpr const char *kStatusCodeNames[] = {
    "OK",
    "CANCELLED",
    "UNKNOWN",
    "INVALID_ARGUMENT",
    "DEADLINE_EXCEEDED",
    "NOT_FOUND",
    "ALREADY_EXISTS",
    "PERMISSION_DENIED",
    "RESOURCE_EXHAUSTED",
    "FAILED_PRECONDITION",
    "ABORTED",
    "OUT_OF_RANGE",
    "UNIMPLEMENTED",
    "INTERNAL",
    "UNAVAILABLE",
    "DATA_LOSS",
    "UNAUTHENTICATED",
};

constexpr char kRequestSuffix[] = "Input";

// The serializer checks every string field of a message, nested ones
// included, and reports the first invalid one through protobuf's log as
// "String field '<package>.<Message>.<field>' contains invalid UTF-8 data
// when serializing ...".  While a request is checked, a handler of our own
// catches that report.  It is installed for the check only (and the
// previous one put back), so that every plug-in loaded in the process, and
// the host, keep their own handling of protobuf's log.
constexpr char kInvalidUtf8Report[] = " contains invalid UTF-8 data when serializing";

struct Utf8Check {
    google::protobuf::LogHandler *previous = nullptr;
    bool invalid = false;
    std::string field;  // as protobuf names it, e.g. "trvnamespace.Trustee.name"
};
thread_local Utf8Check *tCheck = nullptr;

std::string quotedName(const std::string &message) {
    const size_t open = message.find('\'');
    const size_t close = open == std::string::npos ? open : message.find('\'', open + 1);
    return close == std::string::npos ? std::string() : message.substr(open + 1, close - open - 1);
}

void catchUtf8Report(google::protobuf::LogLevel level, const char *file, int line, const std::string &message) {
    Utf8Check *check = tCheck;
    if (check != nullptr && message.find(kInvalidUtf8Report) != std::string::npos) {
        if (!check->invalid) check->field = quotedName(message);
        check->invalid = true;
        return;
    }
    if (check != nullptr && check->previous != nullptr) {
        check->previous(level, file, line, message);
        return;
    }
    // Another thread's message in the moment of a check.
    TRVNS_LOG(level >= google::protobuf::LOGLEVEL_ERROR ? LOG_ERR : LOG_WARNING, "protobuf: %s", message.c_str());
}

// "Trustee.name" of "trvnamespace.Trustee.name"; a field of the request
// itself by its name alone ("path").
std::string fieldOfRequest(const std::string &requestType, std::string field) {
    const size_t package = requestType.rfind('.');
    if (package != std::string::npos && field.compare(0, package + 1, requestType, 0, package + 1) == 0) {
        field.erase(0, package + 1);
    }
    const std::string request = requestType.substr(package == std::string::npos ? 0 : package + 1) + ".";
    if (field.compare(0, request.size(), request) == 0) field.erase(0, request.size());
    return field;
}

}  // namespace

const char *statusCodeName(grpc::StatusCode code) {
    const auto index = static_cast<size_t>(code);
    return index < std::size(kStatusCodeNames) ? kStatusCodeNames[index] : "UNKNOWN";
}

std::string rpcName(const MessageLite &request) {
    std::string name = request.GetTypeName();
    const size_t package = name.rfind('.');
    if (package != std::string::npos) name.erase(0, package + 1);
    const size_t suffix = sizeof kRequestSuffix - 1;
    if (name.size() > suffix && name.compare(name.size() - suffix, suffix, kRequestSuffix) == 0) {
        name.resize(name.size() - suffix);
    }
    return name;
}

void logCallFailure(const std::string &rpc, const grpc::Status &status,
                    std::optional<std::chrono::milliseconds> deadline) {
    if (status.error_code() == grpc::StatusCode::DEADLINE_EXCEEDED && deadline) {
        TRVNS_LOG(LOG_ERR, "%s failed: %s: %s (no reply within %g s)", rpc.c_str(),
                  statusCodeName(status.error_code()), status.error_message().c_str(), deadline->count() / 1000.0);
        return;
    }
    TRVNS_LOG(LOG_ERR, "%s failed: %s: %s", rpc.c_str(), statusCodeName(status.error_code()),
              status.error_message().c_str());
}

void logNotSendable(const std::string &rpc, const std::string &field) {
    TRVNS_LOG(LOG_ERR, "%s not sent: %s is not valid UTF-8", rpc.c_str(), field.c_str());
}

bool textsAreSendable(const MessageLite &message, std::string *field) {
    Utf8Check check;
    tCheck = &check;
    check.previous = google::protobuf::SetLogHandler(catchUtf8Report);
    std::string encoded;
    (void)message.SerializeToString(&encoded);  // reports, but does not refuse, invalid texts
    google::protobuf::SetLogHandler(check.previous);
    tCheck = nullptr;
    if (!check.invalid) return true;
    *field = fieldOfRequest(message.GetTypeName(), check.field);
    return false;
}
