// Property checks of the fuzz harnesses: a failed property aborts, so
// libFuzzer keeps the input as a crash and the corpus replay fails.
#ifndef TRVNS_FUZZ_CHECK_H
#define TRVNS_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "fuzz property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            abort();                                                                               \
        }                                                                                          \
    } while (0)

// The harnesses' own output (the code under test prints to stdout) goes
// nowhere; libFuzzer reports on stderr.
inline void fuzzSilenceStdout() {
    if (freopen("/dev/null", "w", stdout) == nullptr) abort();
}

#endif
