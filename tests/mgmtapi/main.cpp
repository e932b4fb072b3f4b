// Runs the library tests inside the private mount namespace prepared by
// tests/support/isolate.  The library was loaded (and its watcher started)
// before main, with an empty plug-in directory.
#include <gtest/gtest.h>

#include <syslog.h>

#include <cstdlib>
#include <iostream>

#include "library_fixture.h"

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (getenv("TRVNS_ISOLATED") == nullptr) {
        std::cerr << "run these tests through tests/support/isolate\n";
        return 1;
    }
    trvns_test::syslogCapture();
    setlogmask(0xff);  // let the debug traces through for the tests that read them
    trvns_test::installPlugin(TEST_PLUGIN_A, trvns_test::kPluginA);
    trvns_test::installPlugin(TEST_PLUGIN_B, trvns_test::kPluginB);
    // The watcher loads both files in turn; once the last one is active no
    // event is pending any more.
    if (!trvns_test::waitForActivePlugin("b")) {
        std::cerr << "the watcher did not load the test plug-ins\n";
        return 1;
    }
    return RUN_ALL_TESTS();
}
