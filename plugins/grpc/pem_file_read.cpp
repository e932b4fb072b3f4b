#include "pem_file_read.h"

#include <stdexcept>

#include "bounded_file.h"

std::string readPemFile(const std::string &path) {
    std::string contents;
    std::string reason;
    bool openFailed = false;
    if (!trvns::readBoundedFile(path.c_str(), trvns::kConfigFileLimit, &contents, &reason, &openFailed)) {
        // A file that cannot be opened keeps the plain line; a refused one says why.
        throw std::runtime_error("Unable to open file " + path + (openFailed ? "" : ": " + reason));
    }
    return contents;
}
