#include "test_pki.h"

#include <stdexcept>

#include "test_files.h"

namespace trvns_test {

TestPki makeTestPki(const std::string &dir) {
    TestPki p;
    p.dir = dir;
    p.caCert = p.dir + "/ca.pem";
    p.otherCaCert = p.dir + "/other-ca.pem";
    p.serverCert = p.dir + "/server.pem";
    p.serverKey = p.dir + "/server.key";
    p.clientCert = p.dir + "/client.pem";
    p.clientKey = p.dir + "/client.key";
    p.otherClientCert = p.dir + "/other-client.pem";
    p.otherClientKey = p.dir + "/other-client.key";
    std::string script = "set -e; mkdir -p " + p.dir + "; cd " + p.dir + R"(
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=trvns-test-ca -keyout ca.key -out ca.pem 2>/dev/null
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=trvns-other-ca -keyout other-ca.key -out other-ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout server.key -out server.csr 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n' > san.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext -out server.pem 2>/dev/null
for signer in ca other-ca; do
    name=${signer%ca}client
    openssl req -newkey rsa:2048 -nodes -subj /CN=trvns-admin -keyout $name.key -out $name.csr 2>/dev/null
    printf 'extendedKeyUsage=clientAuth\n' > client.ext
    openssl x509 -req -in $name.csr -CA $signer.pem -CAkey $signer.key -CAcreateserial -days 2 \
        -extfile client.ext -out $name.pem 2>/dev/null
done
)";
    RunResult result = run(script);
    if (result.status != 0) throw std::runtime_error("cannot make test certificates: " + result.err);
    return p;
}

const TestPki &TestPki::get() {
    static const TestPki pki = makeTestPki("/etc/opt/brenvik/qtrvns/test-pki");
    return pki;
}

std::string clientConfig(int port, const std::string &caCert) {
    return "[nsserver]\nhost = 127.0.0.1\nport = " + std::to_string(port) + "\ncertpath = " + caCert + "\n";
}

}  // namespace trvns_test
