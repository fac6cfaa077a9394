#include "tests/support/fresh_state.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace vela::testing {
namespace {

class ResetListener : public ::testing::EmptyTestEventListener {
  public:
    void OnTestStart(const ::testing::TestInfo&) override {
        for (auto reset : Resets()) reset();
    }
    static std::vector<void (*)()>& Resets() {
        static std::vector<void (*)()> resets;
        return resets;
    }
};

}  // namespace

bool ResetBeforeEveryTest(void (*reset)()) {
    if (ResetListener::Resets().empty()) {
        ::testing::UnitTest::GetInstance()->listeners().Append(new ResetListener);
    }
    ResetListener::Resets().push_back(reset);
    return true;
}

}  // namespace vela::testing
