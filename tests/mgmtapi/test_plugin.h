// State of the recording test plug-in, shared with the tests that load it
// (both live in one process, built by one compiler).
#ifndef TRVNS_TEST_PLUGIN_H
#define TRVNS_TEST_PLUGIN_H

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct RecordedCall {
    std::string slot;
    std::vector<std::string> args;  // every argument as text, "<null>" for null pointers
};

struct TestPluginState {
    std::string id;                          // "a" or "b"
    std::mutex mutex;
    std::vector<RecordedCall> calls;
    std::map<std::string, int32_t> statuses;  // scripted status per slot, 0 by default

    // A slot named here waits inside the call until `release` is set.
    std::string blockSlot;
    bool blocked = false;
    bool release = false;
    std::condition_variable changed;

    void reset() {
        std::lock_guard<std::mutex> lock(mutex);
        calls.clear();
        statuses.clear();
        blockSlot.clear();
        blocked = release = false;
    }
    std::vector<RecordedCall> takeCalls() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<RecordedCall> taken;
        taken.swap(calls);
        return taken;
    }
};

// The test program exports this function: the state of the plug-in with
// the given id, shared by every copy of it that the library loads.
#define TEST_PLUGIN_STATE_REGISTRY "trvnsTestPluginState"
extern "C" TestPluginState *trvnsTestPluginState(const char *id);

#endif
