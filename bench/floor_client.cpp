// The floor of one management command: a bare client in a fresh process
// that opens a TLS channel with the given CA and makes one unary
// GetNamespaces call, nothing else.
//
//   trvns_floor_client HOST:PORT CA_PEM
#include <grpcpp/grpcpp.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "trvnamespace.grpc.pb.h"

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s HOST:PORT CA_PEM\n", argv[0]);
        return 2;
    }
    std::ifstream caFile(argv[2], std::ios::binary);
    grpc::SslCredentialsOptions tls;
    tls.pem_root_certs.assign(std::istreambuf_iterator<char>(caFile), std::istreambuf_iterator<char>());
    auto stub = trvnamespace::TRVNamespaceServer::NewStub(grpc::CreateChannel(argv[1], grpc::SslCredentials(tls)));
    grpc::ClientContext context;
    trvnamespace::GetNamespacesReply reply;
    grpc::Status status = stub->GetNamespaces(&context, trvnamespace::GetNamespacesInput(), &reply);
    if (!status.ok()) {
        fprintf(stderr, "GetNamespaces failed: %s\n", status.error_message().c_str());
        return 1;
    }
    printf(" Number of namespaces :%d \n", reply.namespaces_size());
    return 0;
}
