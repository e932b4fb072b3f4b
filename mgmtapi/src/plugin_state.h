// Access to the active plug-in for the operations of the library.
#ifndef TRVNS_PLUGIN_STATE_H
#define TRVNS_PLUGIN_STATE_H

#include "trvns_mgmt.h"

namespace trvns {

// Holds the plug-in lock shared for the length of one slot call, so that a
// reload can never close the plug-in under an operation in flight.
//
// A connected session keeps its plug-in: connect takes the active table and
// makes it the session's, every call until disconnect goes to that table,
// and disconnect ends the session. A plug-in loaded meanwhile becomes the
// active one and serves the next connect; it has no client of this
// session, so sending the session's calls there would fail them.
class ActivePlugin {
public:
    enum class Use {
        kCall,        // the session's table, or the active one between sessions
        kConnect,     // the active table, which becomes the session's
        kDisconnect,  // the session's table (or the active one); ends the session
    };
    explicit ActivePlugin(Use use = Use::kCall);
    ~ActivePlugin();
    ActivePlugin(const ActivePlugin &) = delete;
    ActivePlugin &operator=(const ActivePlugin &) = delete;

    // The operations table to call, null when no plug-in is loaded.
    const trvns_mgmtPluginOps *ops() const { return ops_; }

private:
    const trvns_mgmtPluginOps *ops_;
};

// Returns once a plug-in is active, or at once when none is on its way:
// while the plug-in directory is changing (a plug-in deleted and created
// again, or copied over in place) the watcher is about to load one.
void awaitPluginBeingInstalled();

// Puts the watch on the plug-in directory in place without waiting out its
// delay: a process with no plug-in wants the next one as soon as it comes.
void watchPluginDirectoryNow();

// Stops the watcher thread and waits for it (library unload).
void joinPluginWatcher();

}  // namespace trvns

#endif
