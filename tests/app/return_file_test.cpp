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
    // Written under a temporary name beside the final one until complete.
    const std::string temporary = file.temporaryPath();
    EXPECT_EQ(temporary.substr(0, temporary.size() - 13),
              root_.path() + "AEAT/190M2025.0A//.P0042");
    EXPECT_EQ(temporary.substr(temporary.size() - 4), ".tmp");
    EXPECT_EQ(ReadFile(temporary), std::string(500, ' ') + "\r\n");
    EXPECT_FALSE(FileExists(file.hostPath()));
    ASSERT_TRUE(file.Append(std::string(500, '2')));
    ASSERT_TRUE(file.Append(std::string(500, '3')));
    EXPECT_FALSE(FileExists(file.hostPath()));
    const std::string path = file.hostPath();
    ASSERT_TRUE(file.Finish(std::string(500, '1')));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(ReadFile(path), std::string(500, '1') + "\r\n" + std::string(500, '2') + "\r\n" +
                                  std::string(500, '3') + "\r\n");
    EXPECT_FALSE(FileExists(temporary));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_ / "AEAT/190M2025.0A"),
                            std::filesystem::directory_iterator()),
              1);
}

// The previous run's file stays whole until its replacement is complete,
// and stays as it was when the replacement is abandoned.
TEST_F(ReturnFileTest, ThePreviousFileStaysUntilItsReplacementIsComplete) {
    const std::string folder = ReturnFolder(root_.path(), 1, "2025");
    const std::string old = std::string(500, 'O') + "\r\n";
    std::filesystem::create_directories(root_ / "AEAT/190M2025.0A");
    WriteFile(root_ / "AEAT/190M2025.0A/P0005", old);
    ReturnFile file;
    ASSERT_TRUE(file.Open(folder, "0005"));
    ASSERT_TRUE(file.Append(std::string(500, '2')));
    EXPECT_EQ(ReadFile(root_ / "AEAT/190M2025.0A/P0005"), old);
    file.Abandon();
    EXPECT_EQ(ReadFile(root_ / "AEAT/190M2025.0A/P0005"), old);
    ASSERT_TRUE(file.Open(folder, "0005"));
    ASSERT_TRUE(file.Finish(std::string(500, '1')));
    EXPECT_EQ(ReadFile(root_ / "AEAT/190M2025.0A/P0005"), std::string(500, '1') + "\r\n");
}

// Whoever can write the return folder may plant a link under a return
// file's name: the run replaces the link itself and never writes through it.
TEST_F(ReturnFileTest, APlantedLinkIsReplacedNotFollowed) {
    const std::string folder = ReturnFolder(root_.path(), 1, "2025");
    std::filesystem::create_directories(root_ / "AEAT/190M2025.0A");
    WriteFile(root_ / "target", "precious");
    std::filesystem::create_symlink(root_ / "target", root_ / "AEAT/190M2025.0A/P0009");
    std::filesystem::create_symlink(root_ / "missing", root_ / "AEAT/190M2025.0A/P0010");
    for (const char* owner : {"0009", "0010"}) {
        ReturnFile file;
        ASSERT_TRUE(file.Open(folder, owner));
        ASSERT_TRUE(file.Finish(std::string(500, '1')));
        const std::string name = root_ / "AEAT/190M2025.0A/P" + owner;
        EXPECT_FALSE(std::filesystem::is_symlink(name)) << owner;
        EXPECT_EQ(ReadFile(name), std::string(500, '1') + "\r\n") << owner;
    }
    EXPECT_EQ(ReadFile(root_ / "target"), "precious");
    EXPECT_FALSE(FileExists(root_ / "missing"));
}

// What a run that died left behind: only temporary files, which the next
// run removes (links among them, without touching what they point to);
// return files and anything else in the folder stay.
TEST_F(ReturnFileTest, StrayTemporaryFilesAreRemoved) {
    const std::string folder = ReturnFolder(root_.path(), 1, "2025");
    const std::string host = root_ / "AEAT/190M2025.0A/";
    std::filesystem::create_directories(host);
    WriteFile(host + ".P0001.k3j9x0aa.tmp", std::string(502, ' '));
    WriteFile(host + ".P0002.00000000.tmp", "");
    WriteFile(root_ / "target", "kept");
    std::filesystem::create_symlink(root_ / "target", host + ".P0003.abcdefgh.tmp");
    for (const char* kept : {"P0001", ".P0001.tmp", ".P001.abcdefgh.tmp", ".P0001.ABCDEFGH.tmp",
                             "notes.tmp", ".P0001.abcdefghi.tmp"}) {
        WriteFile(host + kept, "x");
    }
    EXPECT_EQ(RemoveStrayReturnFiles(folder), 3);
    EXPECT_EQ(ReadFile(root_ / "target"), "kept");
    int left = 0;
    for (const auto& entry : std::filesystem::directory_iterator(host)) {
        (void)entry;
        ++left;
    }
    EXPECT_EQ(left, 6);
    EXPECT_EQ(RemoveStrayReturnFiles(ReturnFolder(root_.path(), 2, "2025")), 0);  // no folder
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
    EXPECT_TRUE(std::filesystem::is_empty(root_ / "AEAT/190M2025.0A"));
}

TEST_F(ReturnFileTest, AnAbandonedFileIsRemoved) {
    ReturnFile file;
    ASSERT_TRUE(file.Open(ReturnFolder(root_.path(), 2, "2025"), "0003"));
    const std::string path = file.hostPath();
    const std::string temporary = file.temporaryPath();
    EXPECT_TRUE(FileExists(temporary));
    file.Abandon();
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(FileExists(temporary));
}

}  // namespace
}  // namespace vela
