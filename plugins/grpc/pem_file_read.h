// Bounded reading of the certificate and key files of the TLS channel.
#ifndef TRVNS_GRPC_PEM_FILE_READ_H
#define TRVNS_GRPC_PEM_FILE_READ_H

#include <string>

// The whole content of a regular file of at most trvns::kConfigFileLimit
// bytes (bounded_file.h), far above any certificate chain or key.
// Throws std::runtime_error("Unable to open file <path>"), followed by the
// reason when the file opened but is refused (not a regular file, too long,
// read error).  A FIFO or a device never blocks or spins: it is opened
// without blocking and refused before any read.
std::string readPemFile(const std::string &path);

// Like readPemFile, and the content must hold at least one PEM certificate
// that decodes, else ": holds no PEM certificate" is the reason.  An empty
// set of root certificates would make gRPC trust its built-in public
// authorities instead, so it never reaches the channel.
std::string readPemCertificates(const std::string &path);

// Like readPemFile, and the content must hold a PEM block of an
// unencrypted private key, else ": holds no PEM private key" is the reason.
std::string readPemPrivateKey(const std::string &path);

#endif
