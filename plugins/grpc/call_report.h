// What the client logs about a call that did not complete, and the check
// that every text of a request can be sent at all.
#ifndef TRVNS_GRPC_CALL_REPORT_H
#define TRVNS_GRPC_CALL_REPORT_H

#include <google/protobuf/message_lite.h>
#include <grpcpp/grpcpp.h>

#include <chrono>
#include <optional>
#include <string>

// The name of a gRPC status code as gRPC spells it ("UNAVAILABLE").
const char *statusCodeName(grpc::StatusCode code);

// The RPC of a request: its message name without the "Input" suffix.
std::string rpcName(const google::protobuf::MessageLite &request);

// One error line "<Rpc> failed: <CODE>: <message>"; a call past its deadline
// also names the deadline.
void logCallFailure(const std::string &rpc, const grpc::Status &status,
                    std::optional<std::chrono::milliseconds> deadline);

// One error line "<Rpc> not sent: <field> is not valid UTF-8".
void logNotSendable(const std::string &rpc, const std::string &field);

// True when every string field of the message, nested ones included, is
// valid UTF-8, which the wire format requires; protobuf's own serializer
// judges it.  Otherwise `field` names the first field that is not ("path",
// or "Trustee.name" for a field of a nested message).
bool textsAreSendable(const google::protobuf::MessageLite &message, std::string *field);

#endif
