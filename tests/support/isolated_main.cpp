// The main of the test programs that need nothing but the private mount
// namespace of tests/support/isolate.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (getenv("TRVNS_ISOLATED") == nullptr) {
        std::cerr << "run these tests through tests/support/isolate\n";
        return 1;
    }
    return RUN_ALL_TESTS();
}
