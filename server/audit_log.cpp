#include "audit_log.h"

#include <grpc/grpc_security_constants.h>

#include <cstdio>

#include "printable_text.h"

namespace nsserver {
namespace {

std::string clientSubject(const grpc::ServerContext &context) {
    std::shared_ptr<const grpc::AuthContext> auth = context.auth_context();
    if (!auth) return "-";
    std::vector<grpc::string_ref> subjects = auth->FindPropertyValues(GRPC_X509_SUBJECT_PROPERTY_NAME);
    if (subjects.empty()) return "-";
    return quotedForLog(std::string(subjects.front().data(), subjects.front().size()));
}

}  // namespace

std::string auditLine(const grpc::ServerContext &context, const char *rpc, const AuditFields &fields, int retCode) {
    std::string line =
        "trvns-nsserver: audit peer=" + context.peer() + " client=" + clientSubject(context) + " rpc=" + rpc;
    for (const auto &field : fields) line += std::string(" ") + field.first + "=" + quotedForLog(field.second);
    return line + " retCode=" + std::to_string(retCode);
}

void writeAuditLine(const grpc::ServerContext &context, const char *rpc, const AuditFields &fields, int retCode) {
    std::string line = auditLine(context, rpc, fields, retCode) + "\n";
    fwrite(line.data(), 1, line.size(), stderr);  // one write, so lines of parallel requests never mix
}

}  // namespace nsserver
