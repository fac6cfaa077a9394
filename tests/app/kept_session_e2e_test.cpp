// A run started through the session launcher without naming a session
// folder: the documents stay in the user's folder under the installation.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;

int RunCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The text renderings of the documents under a folder, at any depth.
std::vector<std::string> Documents(const std::string& folder) {
    std::vector<std::string> texts;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("DOC", 0) == 0 && entry.path().extension() == ".txt")
            texts.push_back(ReadFile(entry.path().string()));
    }
    return texts;
}

std::size_t Containing(const std::vector<std::string>& texts, const std::string& part) {
    return static_cast<std::size_t>(std::count_if(texts.begin(), texts.end(), [&](const auto& t) {
        return t.find(part) != std::string::npos;
    }));
}

TEST(KeptSession, ARunWithoutASessionFolderKeepsItsDocuments) {
    TempFolder folder;
    const std::string bin = BIN_DIR;
    const std::string root = folder / "root";
    ASSERT_EQ(RunCommand(bin + "/vela-demo " + root + " >/dev/null"), 0);
    const std::string session = root + "/SESSIONS/clerk/";
    const std::string batch = "USER=clerk " + bin + "/vela-session " + root +
                              " --date 20260115 -- KELD0190 --batch --closing 31.12.2025 "
                              "--first 1 --last 9999 --kind ";
    ASSERT_EQ(RunCommand(batch + "R >/dev/null 2>&1"), 0);
    EXPECT_TRUE(FileExists(session + "Sessio.ini"));
    EXPECT_EQ(Containing(Documents(session + "ROVODOVO"), "RELACIÓ ANYAL DE RETENCIONS"), 1u);

    // The certificates of the next run in the same folder are kept too.
    ASSERT_EQ(RunCommand(batch + "C >/dev/null 2>&1"), 0);
    EXPECT_GT(Containing(Documents(session + "ROVODOVO"), "OPERACIONS SUBJECTES A RETENCIÓ"), 1u);
}

}  // namespace
}  // namespace vela
