#include "call_report.h"

#include <cstdint>
#include <iterator>
#include <vector>

#include "trvns_log.h"

namespace {

using google::protobuf::FieldDescriptor;
using google::protobuf::Message;
using google::protobuf::Reflection;

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

// Length of the UTF-8 sequence led by `lead` and the smallest code point it
// may encode (to refuse overlong forms); 0 for a byte that cannot lead.
struct SequenceRule {
    unsigned char mask;
    unsigned char value;
    int length;
    uint32_t minimum;
};
constexpr SequenceRule kSequenceRules[] = {
    {0x80, 0x00, 1, 0x0},
    {0xE0, 0xC0, 2, 0x80},
    {0xF0, 0xE0, 3, 0x800},
    {0xF8, 0xF0, 4, 0x10000},
};

const SequenceRule *ruleFor(unsigned char lead) {
    for (const SequenceRule &rule : kSequenceRules) {
        if ((lead & rule.mask) == rule.value) return &rule;
    }
    return nullptr;
}

bool fieldIsSendable(const Message &message, const Reflection &reflection, const FieldDescriptor &field) {
    std::string scratch;
    if (field.type() == FieldDescriptor::TYPE_STRING) {
        if (!field.is_repeated()) return isValidUtf8(reflection.GetStringReference(message, &field, &scratch));
        for (int i = 0; i < reflection.FieldSize(message, &field); ++i) {
            if (!isValidUtf8(reflection.GetRepeatedStringReference(message, &field, i, &scratch))) return false;
        }
    }
    return true;
}

}  // namespace

const char *statusCodeName(grpc::StatusCode code) {
    const auto index = static_cast<size_t>(code);
    return index < std::size(kStatusCodeNames) ? kStatusCodeNames[index] : "UNKNOWN";
}

std::string rpcName(const Message &request) {
    std::string name = request.GetDescriptor()->name();
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

bool isValidUtf8(const std::string &text) {
    const auto *byte = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = byte + text.size();
    while (byte < end) {
        const SequenceRule *rule = ruleFor(*byte);
        if (rule == nullptr || end - byte < rule->length) return false;
        uint32_t codePoint = *byte & ~rule->mask & 0xFF;
        for (int i = 1; i < rule->length; ++i) {
            if ((byte[i] & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (byte[i] & 0x3F);
        }
        if (codePoint < rule->minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        byte += rule->length;
    }
    return true;
}

bool textsAreSendable(const Message &message, std::string *field) {
    const Reflection &reflection = *message.GetReflection();
    std::vector<const FieldDescriptor *> fields;
    reflection.ListFields(message, &fields);
    for (const FieldDescriptor *each : fields) {
        if (!fieldIsSendable(message, reflection, *each)) {
            *field = each->name();
            return false;
        }
        if (each->type() != FieldDescriptor::TYPE_MESSAGE) continue;
        const int count = each->is_repeated() ? reflection.FieldSize(message, each) : 1;
        for (int i = 0; i < count; ++i) {
            const Message &nested = each->is_repeated() ? reflection.GetRepeatedMessage(message, each, i)
                                                        : reflection.GetMessage(message, each);
            if (!textsAreSendable(nested, field)) {
                *field = each->name() + "." + *field;
                return false;
            }
        }
    }
    return true;
}
