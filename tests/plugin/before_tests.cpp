// Prepares the plug-in tests inside the private mount namespace of
// tests/support/isolate.
#include <syslog.h>

#include "isolated_main.h"
#include "plugin_fixture.h"

namespace trvns_test {
namespace {

const BeforeTests kPrepare([] {
    syslogCapture();
    openlog("trvns-plugin-test", LOG_PID, LOG_LOCAL1);
    return true;
});

}  // namespace
}  // namespace trvns_test
