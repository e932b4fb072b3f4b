// The audit trail of the server: one line on its log (standard error) for
// every change request, saying who asked for what and how it ended.
#ifndef TRVNS_SERVER_AUDIT_LOG_H
#define TRVNS_SERVER_AUDIT_LOG_H

#include <grpcpp/grpcpp.h>

#include <string>
#include <utility>
#include <vector>

namespace nsserver {

// What a request names: e.g. {"path", "/NS1/home"}, {"newname", "docs"}.
using AuditFields = std::vector<std::pair<const char *, std::string>>;

// The line, without its newline:
//   trvns-nsserver: audit peer=ipv4:127.0.0.1:40112 client="CN=admin" rpc=Rename path="/NS1/a" newname="b" retCode=0
// `client` is the subject of the client's certificate, "-" without one;
// values are quoted by quotedForLog (printable_text.h), so that no value can
// end the line or start another.
std::string auditLine(const grpc::ServerContext &context, const char *rpc, const AuditFields &fields, int retCode);

void writeAuditLine(const grpc::ServerContext &context, const char *rpc, const AuditFields &fields, int retCode);

}  // namespace nsserver

#endif
