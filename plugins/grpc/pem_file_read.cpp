#include "pem_file_read.h"

#include "bounded_file.h"

std::string readPemFile(const std::string &path) {
    return trvns::readBoundedFileOrThrow(path, trvns::kConfigFileLimit, "Unable to open file ");
}
