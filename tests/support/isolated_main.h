// The one main of the test programs (isolated_main.cpp): it refuses to run
// outside the private mount namespace of tests/support/isolate, takes the
// program's preparation step if it has one, then runs the tests.
#ifndef TRVNS_TEST_ISOLATED_MAIN_H
#define TRVNS_TEST_ISOLATED_MAIN_H

namespace trvns_test {

// Names the preparation step of a test program; one namespace-scope object
// of it at most per program.  The step returns false, after saying why on
// stderr, when the tests cannot run.
struct BeforeTests {
    explicit BeforeTests(bool (*prepare)());
};

}  // namespace trvns_test

#endif
