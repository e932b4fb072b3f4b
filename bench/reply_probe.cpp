// Prints the encoded size in bytes of one big reply, as the server sends it:
//   trvns_reply_probe HOST:PORT CA_PEM listall NAMESPACE
//   trvns_reply_probe HOST:PORT CA_PEM dirstat PATH
#include <grpcpp/grpcpp.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tls_stub.h"

int main(int argc, char **argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: %s HOST:PORT CA_PEM listall NAMESPACE | dirstat PATH\n", argv[0]);
        return 2;
    }
    auto stub = tlsStub(argv[1], argv[2]);
    grpc::ClientContext context;
    grpc::Status status;
    size_t bytes = 0;
    if (strcmp(argv[3], "listall") == 0) {
        trvnamespace::ListAllInput in;
        in.set_namespace_(argv[4]);
        trvnamespace::ListAllReply reply;
        status = stub->ListAll(&context, in, &reply);
        bytes = reply.ByteSizeLong();
    } else {
        trvnamespace::DirStatInput in;
        in.set_foldername(argv[4]);
        in.set_uid(0);  // sees every entry
        trvnamespace::DirStatReply reply;
        status = stub->DirStat(&context, in, &reply);
        bytes = reply.ByteSizeLong();
    }
    if (!status.ok()) {
        fprintf(stderr, "call failed: %s\n", status.error_message().c_str());
        return 1;
    }
    printf("%zu\n", bytes);
    return 0;
}
