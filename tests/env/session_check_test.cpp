#include "env/session_check.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::ScopedEnvironment;
using testing::TempFolder;
using testing::WriteFile;

// Runs in an empty current folder, with none of the session's variables but
// a terminal type.
class SessionCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(folder_.path().c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir(previous_), 0); }

    ScopedEnvironment root_{"RUKROOT", nullptr};
    ScopedEnvironment exe_{"RUKEXE", nullptr};
    ScopedEnvironment tmp_{"RUKTMP", nullptr};
    ScopedEnvironment term_{"TERM", "xterm"};
    TempFolder folder_;
    char previous_[PATH_MAX] = {};
};

TEST_F(SessionCheckTest, NamesTheVariablesThatAreMissing) {
    EXPECT_EQ(MissingSession("ROVODOVO"),
              "started without a session: RUKROOT, RUKEXE and RUKTMP are not set. Start "
              "ROVODOVO from the office's menu, or through the session launcher: vela-session "
              "ROOT -- ROVODOVO");
    ScopedEnvironment root("RUKROOT", "/srv/vela/");
    EXPECT_NE(MissingSession("KELD0190").find("RUKEXE and RUKTMP are not set"), std::string::npos);
    ScopedEnvironment exe("RUKEXE", "/srv/bin/");
    EXPECT_NE(MissingSession("KELD0190").find(": RUKTMP is not set"), std::string::npos);
}

TEST_F(SessionCheckTest, ASessionFolderFromRuktmpOrTheTerminalsFolderIsASession) {
    {
        ScopedEnvironment tmp("RUKTMP", "/tmp/s1/");
        EXPECT_EQ(MissingSession("KELD0190"), "");
    }
    WriteFile(folder_ / "Sessio.ini", "[Terminal]\r\nDir=/tmp/t1/\r\n");
    EXPECT_EQ(MissingSession("KELD0190"), "");
}

}  // namespace
}  // namespace vela
