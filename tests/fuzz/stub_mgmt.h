// A stand-in for libtrvnsmgmt's connection and operations, for running the
// program's command handlers in-process: it records what it is handed,
// answers with one chosen status and fills results on success.
#ifndef TRVNS_FUZZ_STUB_MGMT_H
#define TRVNS_FUZZ_STUB_MGMT_H

#include <set>
#include <string>
#include <vector>

namespace fuzzstub {

struct State {
    int status = 0;           // what every operation returns
    bool connected = false;
    bool callWithoutConnection = false;
    std::set<const void *> unfreedResults;  // records filled and not yet freed
    std::vector<std::string> paths;  // every path argument received
};

State &state();
void reset(int status);

}  // namespace fuzzstub

#endif
