// Access to the active plug-in for the operations of the library.
#ifndef TRVNS_PLUGIN_STATE_H
#define TRVNS_PLUGIN_STATE_H

#include "trvns_mgmt.h"

namespace trvns {

// Holds the plug-in lock shared for the length of one slot call, so that a
// reload can never close the plug-in under an operation in flight.
class ActivePlugin {
public:
    ActivePlugin();
    ~ActivePlugin();
    ActivePlugin(const ActivePlugin &) = delete;
    ActivePlugin &operator=(const ActivePlugin &) = delete;

    // The active operations table, null when no plug-in is loaded.
    const trvns_mgmtPluginOps *ops() const { return ops_; }

private:
    const trvns_mgmtPluginOps *ops_;
};

// Stops the watcher thread and waits for it (library unload).
void joinPluginWatcher();

}  // namespace trvns

#endif
