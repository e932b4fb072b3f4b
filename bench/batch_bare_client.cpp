// The bare client batch mode is measured against: one TLS channel with the
// given CA and COUNT CreateFolder calls one after another on it, the same
// requests `create -d /TRVNS/NS/fN` sends.  Prints the seconds the calls took.
//
//   trvns_batch_bare_client HOST:PORT CA_PEM NAMESPACE COUNT
#include <grpcpp/grpcpp.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tls_stub.h"

int main(int argc, char **argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: %s HOST:PORT CA_PEM NAMESPACE COUNT\n", argv[0]);
        return 2;
    }
    auto stub = tlsStub(argv[1], argv[2]);
    const std::string prefix = std::string("/") + argv[3] + "/f";
    const long count = atol(argv[4]);

    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        grpc::ClientContext context;
        trvnamespace::CreateFolderInput request;
        request.set_path(prefix + std::to_string(i));
        request.set_options(0);
        trvnamespace::CreateFolderReply reply;
        grpc::Status status = stub->CreateFolder(&context, request, &reply);
        if (!status.ok() || reply.retcode() != 0) {
            fprintf(stderr, "CreateFolder %ld failed: %s %d\n", i, status.error_message().c_str(), reply.retcode());
            return 1;
        }
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    printf("%.6f\n", elapsed.count());
    return 0;
}
