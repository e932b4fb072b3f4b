// The throwing form of the bounded read, which the server's configuration
// and PEM files and the plug-in's PEM files go through: the message names
// the path, and a refused file says why.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include "bounded_file.h"

namespace {

std::string failureOf(const std::string &path, size_t limit) {
    try {
        trvns::readBoundedFileOrThrow(path, limit, "cannot read ");
    } catch (const std::runtime_error &error) {
        return error.what();
    }
    return "<read>";
}

TEST(BoundedReadOrThrow, ContentsOrTheReason) {
    std::string folder = testing::TempDir() + "bounded_throw_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(&folder[0]));
    const std::string file = folder + "/small.pem";
    std::ofstream(file) << "PEM";
    EXPECT_EQ("PEM", trvns::readBoundedFileOrThrow(file, 3, "cannot read "));
    EXPECT_EQ("cannot read " + file + ": longer than 2 bytes", failureOf(file, 2));
    EXPECT_EQ("cannot read " + folder + ": not a regular file", failureOf(folder, 100));
    EXPECT_EQ("cannot read " + folder + "/absent", failureOf(folder + "/absent", 100));
    unlink(file.c_str());
    rmdir(folder.c_str());
}

}  // namespace
