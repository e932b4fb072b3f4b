// Status sentences and POSIX values, row family by row family.
#include <gtest/gtest.h>

#include <string>

#include "trvns_mgmt.h"

namespace {

struct StatusCase {
    int moduleType;
    int code;
    const char *sentence;
    int posix;
    bool printsCode;  // the sentence lookup prints "Error code: %d\n"
};

constexpr char kInternal[] = "Internal error ouccured during this operation.";
constexpr char kConnection[] = "Failed to establish connection with Namespace service!";
constexpr char kPage[] = "Incorrect/out of range value specified for page number or page size.";
constexpr char kNotNs[] = "Not a valid Namespace.";

const StatusCase kCases[] = {
    {1, 0, "Success.", 0, false},
    {1, 1, "Operation not permitted.", 5, false},
    {1, 119, "Operation not permitted.", 13, false},
    {1, 2, "Object does not exist.", 5, false},
    {1, 116, "Object does not exist.", 2, false},
    {1, -11, "Object does not exist.", 5, false},
    {1, 5, "Failed to build the information as output.", 5, false},
    {1, 124, "Failed to build the information as output.", 5, false},
    {1, 13, "Access is denied for this operation or on the object.", 5, false},
    {1, 120, "Access is denied for this operation or on the object.", 13, false},
    {1, 17, "Object exists.", 5, false},
    {1, 117, "Object exists.", 17, false},
    {1, 20, "Not a directory or the directory path does not exist.", 22, false},
    {1, 22, "Unsupported parameters provided.", 5, false},
    {1, 121, "Unsupported parameters provided.", 22, false},
    {1, 60, "The user is already a trustee on the object.", 5, false},
    {1, 112, kConnection, 5, false},
    {1, -12, kConnection, 5, false},
    {1, 113, "Provided mount point does not exist.", 2, false},
    {1, -13, "Provided mount point does not exist.", 5, false},
    {1, 115, "Provided input is a TRV Namespace junction.", 22, false},
    {1, 118, "Given input exceeds the max length allowed.", 22, false},
    {1, 122, "Contains invalid parameters.", 22, false},
    {1, 123, "Provided path does not exist.", 2, false},
    {1, 125, "Invalid target supplied.Unable to retrieve target server details.", 22, false},
    {1, -300, kPage, 5, false},
    {1, -301, kPage, 5, false},
    {1, -302, kPage, 5, false},
    {1, -100, kNotNs, 2, false},
    {1, -17, kNotNs, 5, false},
    {1, -14, kNotNs, 5, false},
    // Codes without a sentence of module type 1.
    {1, 12, kInternal, 5, true},
    {1, -303, kInternal, 5, true},
    {1, -299, kInternal, 5, true},
    {1, 126, kInternal, 5, true},
    // Module type 3: never mapped to anything but EIO.
    {3, 121, "Unsupported parameters provided.", 5, false},
    {3, 125, "Invalid target supplied.Unable to retrieve target server details.", 5, false},
    {3, 126, "Invalid target type provided.", 5, false},
    {3, 128, "Multiple records found. Specify the host name and/or host type.", 5, false},
    {3, 127, kInternal, 5, false},
    {3, -20, kInternal, 5, false},
    {3, -41, kInternal, 5, false},
    {3, -42, kInternal, 5, false},
    {3, 129, "No record found for the given volume.", 5, false},
    {3, 130, "Operation has failed for one or more namespace.", 5, false},
    {3, 131, "Target already exists.", 5, false},
    {3, 132, "Target volume/server provided is incorrect.", 5, false},
    {3, -100, kNotNs, 5, false},
    {3, -5, kNotNs, 5, false},
    {3, 117, kInternal, 5, true},
    {3, 0, kInternal, 5, true},
    // Other module types.
    {2, 0, "Ivalid module type", 5, false},
    {0, 112, "Ivalid module type", 5, false},
    {4, -100, "Ivalid module type", 5, false},
};

class StatusTable : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusTable, SentenceAndPosixValue) {
    const StatusCase &c = GetParam();
    ::testing::internal::CaptureStdout();
    std::string sentence = trvns_mgmt_get_error_message(c.moduleType, c.code);
    fflush(stdout);
    std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.sentence, sentence);
    EXPECT_EQ(c.printsCode ? "Error code: " + std::to_string(c.code) + "\n" : "", printed);
    EXPECT_EQ(c.posix, trvns_mgmt_get_posix_error_code(c.moduleType, c.code));
}

INSTANTIATE_TEST_SUITE_P(Rows, StatusTable, ::testing::ValuesIn(kCases));

}  // namespace
