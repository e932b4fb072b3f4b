#include "pem_file_read.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>
#include <stdexcept>

#include "bounded_file.h"

namespace {

struct FreeBio {
    void operator()(BIO *bio) const { BIO_free(bio); }
};

// Never asks for a passphrase (OpenSSL would prompt on the terminal): an
// encrypted key does not decode.
int noPassphrase(char *, int, int, void *) { return 0; }

// Whether `decode` finds what it looks for in `pem`.  The decoders skip
// text and PEM blocks of other kinds.  What they leave in OpenSSL's error
// queue is cleared, so that it is not taken for a cause of a later
// failure on this thread (the TLS handshake reads the same queue).
template <typename Decode>
bool holds(const std::string &pem, Decode decode) {
    std::unique_ptr<BIO, FreeBio> in(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    const bool found = in != nullptr && decode(in.get());
    ERR_clear_error();
    return found;
}

[[noreturn]] void refuse(const std::string &path, const char *reason) {
    throw std::runtime_error("Unable to open file " + path + ": " + reason);
}

}  // namespace

std::string readPemFile(const std::string &path) {
    std::string contents;
    std::string reason;
    bool openFailed = false;
    if (!trvns::readBoundedFile(path.c_str(), kMaxPemFileSize, &contents, &reason, &openFailed)) {
        // A file that cannot be opened keeps the plain line; a refused one says why.
        throw std::runtime_error("Unable to open file " + path + (openFailed ? "" : ": " + reason));
    }
    return contents;
}

std::string readPemCertificates(const std::string &path) {
    std::string pem = readPemFile(path);
    // The reader gRPC uses for root certificates, so that what passes here
    // is what the channel trusts.
    if (!holds(pem, [](BIO *in) {
            X509 *certificate = PEM_read_bio_X509_AUX(in, nullptr, nullptr, nullptr);
            X509_free(certificate);
            return certificate != nullptr;
        })) {
        refuse(path, "holds no PEM certificate");
    }
    return pem;
}

std::string readPemPrivateKey(const std::string &path) {
    std::string pem = readPemFile(path);
    if (!holds(pem, [](BIO *in) {
            EVP_PKEY *key = PEM_read_bio_PrivateKey(in, nullptr, noPassphrase, nullptr);
            EVP_PKEY_free(key);
            return key != nullptr;
        })) {
        refuse(path, "holds no PEM private key");
    }
    return pem;
}
