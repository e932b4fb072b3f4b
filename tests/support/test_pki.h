// Certificates for tests and benchmarks, made with the openssl command.
#ifndef TRVNS_TEST_PKI_H
#define TRVNS_TEST_PKI_H

#include <string>

namespace trvns_test {

// A local CA, a server certificate for 127.0.0.1 and localhost signed by it,
// a client certificate signed by it, an unrelated CA and a client
// certificate signed by that one.
struct TestPki {
    std::string dir;
    std::string caCert;
    std::string otherCaCert;
    std::string serverCert;
    std::string serverKey;
    std::string clientCert;
    std::string clientKey;
    std::string otherClientCert;
    std::string otherClientKey;
    // Made once per process in the toolset's configuration folder.
    static const TestPki &get();
};

// Makes the set in `dir` (created if missing); throws when openssl fails.
TestPki makeTestPki(const std::string &dir);

// A client configuration that points at a server on 127.0.0.1:port.
std::string clientConfig(int port, const std::string &caCert);

}  // namespace trvns_test

#endif
