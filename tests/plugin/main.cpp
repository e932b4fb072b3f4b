// Runs the plug-in tests inside the private mount namespace of
// tests/support/isolate.
#include <gtest/gtest.h>
#include <syslog.h>

#include <cstdlib>
#include <iostream>

#include "plugin_fixture.h"

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (getenv("TRVNS_ISOLATED") == nullptr) {
        std::cerr << "run these tests through tests/support/isolate\n";
        return 1;
    }
    trvns_test::syslogCapture();
    openlog("trvns-plugin-test", LOG_PID, LOG_LOCAL1);
    return RUN_ALL_TESTS();
}
