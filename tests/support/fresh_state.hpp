// Every test of a binary starts from the process-wide state a program has
// at start-up, whatever ran before it in the same process and in whatever
// order: the test binaries run all their tests in one process, shuffled.
//
// The parts of the program a binary links add the reset of their own state
// (fresh_ui_state.cpp, fresh_app_state.cpp); the resets run in the order
// added, before each test's fixture is set up, so a fixture sets only what
// its tests need.
#pragma once

namespace vela::testing {

// Adds a reset to run before every test. Returns true, so that a file can
// add its reset when it initialises a constant.
bool ResetBeforeEveryTest(void (*reset)());

}  // namespace vela::testing
