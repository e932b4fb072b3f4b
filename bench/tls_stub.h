// A stub on a TLS channel trusting the CA in a PEM file, with no limit on
// the size of a reply: the bare clients of the benchmarks.
#ifndef TRVNS_BENCH_TLS_STUB_H
#define TRVNS_BENCH_TLS_STUB_H

#include <grpcpp/grpcpp.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "trvnamespace.grpc.pb.h"

inline std::unique_ptr<trvnamespace::TRVNamespaceServer::Stub> tlsStub(const std::string &address,
                                                                      const std::string &caPem) {
    std::ifstream caFile(caPem, std::ios::binary);
    grpc::SslCredentialsOptions tls;
    tls.pem_root_certs.assign(std::istreambuf_iterator<char>(caFile), std::istreambuf_iterator<char>());
    grpc::ChannelArguments arguments;
    arguments.SetMaxReceiveMessageSize(-1);
    return trvnamespace::TRVNamespaceServer::NewStub(
        grpc::CreateCustomChannel(address, grpc::SslCredentials(tls), arguments));
}

#endif
