#include "app/return_file.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "app/program_values.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

class ReturnFileTest : public ::testing::Test {
  protected:
    void SetUp() override { recordTerminator = "\r\n"; }
    TempFolder root_;
};

TEST_F(ReturnFileTest, FolderNamesFollowTheTaxAdministration) {
    EXPECT_EQ(ReturnFolder("C:\\OFI\\", 1, "2023"), "C:\\OFI\\AEAT\\190M2023.0A\\");
    EXPECT_EQ(ReturnFolder("C:\\OFI\\", 4, "2023"), "C:\\OFI\\DFB\\190M2023.0A\\");
    EXPECT_EQ(ReturnFolder("C:\\OFI\\", 12, "2023"), "C:\\OFI\\TERR12\\190M2023.0A\\");
    EXPECT_EQ(ReturnFolder("/srv/vela/", 0, "2025"), "\\srv\\vela\\ATC\\190M2025.0A\\");
}

TEST_F(ReturnFileTest, PlaceholderFirstThenRecordsThenTheDeclarantInPlace) {
    const std::string folder = ReturnFolder(root_.path(), 1, "2025");
    ReturnFile file;
    ASSERT_TRUE(file.Open(folder, "0042"));
    EXPECT_EQ(file.hostPath(), root_.path() + "AEAT/190M2025.0A//P0042");
    EXPECT_EQ(ReadFile(file.hostPath()), std::string(500, ' ') + "\r\n");
    ASSERT_TRUE(file.Append(std::string(500, '2')));
    ASSERT_TRUE(file.Append(std::string(500, '3')));
    const std::string path = file.hostPath();
    ASSERT_TRUE(file.Finish(std::string(500, '1')));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(ReadFile(path), std::string(500, '1') + "\r\n" + std::string(500, '2') + "\r\n" +
                                  std::string(500, '3') + "\r\n");
}

TEST_F(ReturnFileTest, AnOlderFileOrFolderOfTheSameNameIsReplaced) {
    const std::string folder = ReturnFolder(root_.path(), 1, "2025");
    std::filesystem::create_directories(root_ / "AEAT/190M2025.0A/P0001");
    WriteFile(root_ / "AEAT/190M2025.0A/P0001/old", "x");
    ReturnFile file;
    ASSERT_TRUE(file.Open(folder, "0001"));
    ASSERT_TRUE(file.Finish(std::string(500, '1')));
    EXPECT_EQ(ReadFile(root_ / "AEAT/190M2025.0A/P0001"), std::string(500, '1') + "\r\n");
}

TEST_F(ReturnFileTest, AFolderThatCannotBeCreatedIsReportedWithItsReason) {
    WriteFile(root_ / "AEAT", "a file where the folder should be");
    ReturnFile file;
    EXPECT_FALSE(file.Open(ReturnFolder(root_.path(), 1, "2025"), "0001"));
    EXPECT_FALSE(file.error().empty());
    EXPECT_FALSE(file.isOpen());
}

TEST_F(ReturnFileTest, AFullDiskLeavesNoIncompleteFile) {
    // The child writes under a file size limit that the second record
    // crosses, as a full disk would stop it.
    const std::string folder = ReturnFolder(root_.path(), 1, "2025");
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1200, 1200};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ReturnFile file;
        if (!file.Open(folder, "0007")) ::_exit(1);
        if (!file.Append(std::string(500, '2'))) ::_exit(2);
        if (file.Append(std::string(500, '3'))) ::_exit(3);
        if (file.error().empty()) ::_exit(4);
        file.Abandon();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(FileExists(root_ / "AEAT/190M2025.0A/P0007"));
}

TEST_F(ReturnFileTest, AnAbandonedFileIsRemoved) {
    ReturnFile file;
    ASSERT_TRUE(file.Open(ReturnFolder(root_.path(), 2, "2025"), "0003"));
    const std::string path = file.hostPath();
    file.Abandon();
    EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace vela
