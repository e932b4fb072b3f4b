// Prepares the library tests inside the private mount namespace prepared by
// tests/support/isolate.  The library was loaded (and its watcher started)
// before main, with an empty plug-in directory.
#include <syslog.h>

#include <iostream>

#include "isolated_main.h"
#include "library_fixture.h"

namespace trvns_test {
namespace {

const BeforeTests kPrepare([] {
    syslogCapture();
    setlogmask(0xff);  // let the debug traces through for the tests that read them
    installPlugin(TEST_PLUGIN_A, kPluginA);
    installPlugin(TEST_PLUGIN_B, kPluginB);
    // The watcher loads both files in turn; once the last one is active no
    // event is pending any more.
    if (!waitForActivePlugin("b")) {
        std::cerr << "the watcher did not load the test plug-ins\n";
        return false;
    }
    return true;
});

}  // namespace
}  // namespace trvns_test
