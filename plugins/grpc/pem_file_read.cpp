#include "pem_file_read.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstring>
#include <memory>
#include <stdexcept>

#include "bounded_file.h"

namespace {

struct FreeBio {
    void operator()(BIO *bio) const { BIO_free(bio); }
};

struct FreePem {
    void operator()(void *part) const { OPENSSL_free(part); }
};

bool endsWith(const char *text, const char *end) {
    const size_t length = strlen(text), endLength = strlen(end);
    return length >= endLength && strcmp(text + length - endLength, end) == 0;
}

// A PEM block of an unencrypted private key ("PRIVATE KEY", "RSA PRIVATE
// KEY", "EC PRIVATE KEY" ...) whose base64 decodes.  The key itself is
// decoded by the TLS layer when the channel connects; decoding it here as
// well would load OpenSSL's decoder providers on the caller's thread for
// nothing.
bool holdsPrivateKeyBlock(BIO *in) {
    for (;;) {
        char *rawName = nullptr, *rawHeader = nullptr;
        unsigned char *rawData = nullptr;
        long length = 0;
        if (PEM_read_bio(in, &rawName, &rawHeader, &rawData, &length) != 1) return false;
        std::unique_ptr<char, FreePem> name(rawName), header(rawHeader);
        std::unique_ptr<unsigned char, FreePem> data(rawData);
        const bool encrypted = strcmp(name.get(), "ENCRYPTED PRIVATE KEY") == 0 ||
                               strstr(header.get(), "ENCRYPTED") != nullptr;
        if (endsWith(name.get(), "PRIVATE KEY") && !encrypted && length > 0) return true;
    }
}

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
    return trvns::readBoundedFileOrThrow(path, trvns::kConfigFileLimit, "Unable to open file ");
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
    if (!holds(pem, holdsPrivateKeyBlock)) {
        refuse(path, "holds no PEM private key");
    }
    return pem;
}
