// A run started through the session launcher without naming a session
// folder: the documents stay in the user's folder under the installation.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;

int Run(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(KeptSession, ARunWithoutASessionFolderKeepsItsDocuments) {
    TempFolder folder;
    const std::string bin = BIN_DIR;
    const std::string root = folder / "root";
    ASSERT_EQ(Run(bin + "/vela-demo " + root + " >/dev/null"), 0);
    const std::string session = root + "/SESSIONS/clerk/";
    const std::string batch = "USER=clerk " + bin + "/vela-session " + root +
                              " --date 20260115 -- KELD0190 --batch --closing 31.12.2025 "
                              "--first 1 --last 9999 --kind ";
    ASSERT_EQ(Run(batch + "R >/dev/null 2>&1"), 0);
    const std::string listing = ReadFile(session + "ROVODOVO/DOC0001.txt");
    EXPECT_NE(listing.find("RELACIÓ ANYAL DE RETENCIONS"), std::string::npos);
    EXPECT_TRUE(FileExists(session + "ROVODOVO/INDEX.txt"));

    // The next run in the same folder: the certificates replace the listing,
    // and the folder is still there afterwards.
    ASSERT_EQ(Run(batch + "C >/dev/null 2>&1"), 0);
    EXPECT_TRUE(FileExists(session + "Sessio.ini"));
    EXPECT_TRUE(FileExists(session + "rovodovo.tmp"));
    EXPECT_NE(ReadFile(session + "ROVODOVO/INDEX.txt").find("DOC0002.txt"), std::string::npos);
}

}  // namespace
}  // namespace vela
