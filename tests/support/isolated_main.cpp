// The main of every test program; see isolated_main.h.
#include "isolated_main.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

namespace trvns_test {
namespace {

bool (*preparation)() = nullptr;

}  // namespace

BeforeTests::BeforeTests(bool (*prepare)()) { preparation = prepare; }

}  // namespace trvns_test

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (getenv("TRVNS_ISOLATED") == nullptr) {
        std::cerr << "run these tests through tests/support/isolate\n";
        return 1;
    }
    if (trvns_test::preparation != nullptr && !trvns_test::preparation()) return 1;
    return RUN_ALL_TESTS();
}
