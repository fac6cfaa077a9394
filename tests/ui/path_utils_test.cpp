#include "ui/path_utils.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::TempFolder;
using testing::WriteFile;

// Runs a test body with the current folder set to a known place.
class InFolder {
  public:
    explicit InFolder(const std::string& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(previous_); }

  private:
    std::filesystem::path previous_;
};

std::string AsInstallationPath(std::string host) {
    for (char& c : host) {
        if (c == '/') c = '\\';
    }
    return host;
}

TEST(FullPath, DriveLettersAndParentFolders) {
    EXPECT_EQ(FullPath("c:/datos/../AEAT"), "c:\\AEAT\\");
    EXPECT_EQ(FullPath("C:\\..\\X"), "C:\\X\\");
    EXPECT_EQ(FullPath("C:\\A\\B\\..\\C\\"), "C:\\A\\C\\");
    EXPECT_EQ(FullPath("  C:\\A\\.\\B  "), "C:\\A\\B\\");
    EXPECT_EQ(FullPath("C:\\A\\B\\..\\..\\..\\C"), "C:\\C\\");
}

TEST(FullPath, RelativePathsResolveAgainstTheCurrentFolder) {
    TempFolder folder;
    const std::string real = std::filesystem::canonical(folder.path()).string();
    InFolder here(real);
    EXPECT_EQ(FullPath("AEAT"), AsInstallationPath(real) + "\\AEAT\\");
    EXPECT_EQ(FullPath("C:AEAT"), "C:" + AsInstallationPath(real) + "\\AEAT\\");
    EXPECT_EQ(FullPath("/srv/vela/AEAT/"), "\\srv\\vela\\AEAT\\");
    InFolder root("/");
    EXPECT_EQ(FullPath("AEAT"), "\\AEAT\\");
}

TEST(MakePath, CreatesEveryFolderAlongThePath) {
    TempFolder folder;
    const std::string base = AsInstallationPath(folder.path());
    EXPECT_EQ(MakePath(base + "A\\B\\C\\"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "A/B/C"));
    EXPECT_EQ(MakePath(base + "A\\B\\C"), kPathFileAccessError);  // the last one exists
    EXPECT_EQ(MakePath(base + "A\\B\\D"), 0);
    EXPECT_EQ(MakePath("C:" + base + "E\\F"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "E/F"));
}

TEST(MakePath, AFileInTheWayIsReported) {
    TempFolder folder;
    WriteFile(folder / "A", "x");
    // The creation below the file finds no path, which counts as success:
    // the file written there afterwards is what reports the failure.
    EXPECT_EQ(MakePath(AsInstallationPath(folder.path()) + "A\\B"), 0);
    EXPECT_FALSE(std::filesystem::is_directory(folder / "A/B"));
}

TEST(RemovePath, FilesAndFolders) {
    TempFolder folder;
    WriteFile(folder / "P0001", "x");
    EXPECT_EQ(RemovePath(folder / "P0001"), 0);
    EXPECT_FALSE(FileExists(folder / "P0001"));

    ::mkdir((folder / "190M2025.0A").c_str(), 0755);
    WriteFile(folder / "190M2025.0A/P0001", "x");
    WriteFile(folder / "190M2025.0A/P0002", "y");
    EXPECT_EQ(RemovePath(folder / "190M2025.0A"), 0);
    EXPECT_FALSE(FileExists(folder / "190M2025.0A"));

    ::mkdir((folder / "empty").c_str(), 0755);
    EXPECT_EQ(RemovePath(folder / "empty"), 0);
    EXPECT_FALSE(FileExists(folder / "empty"));

    EXPECT_NE(RemovePath(folder / "none"), 0);
}

TEST(RemovePath, AFolderWithSubfoldersIsKept) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "X/sub");
    WriteFile(folder / "X/f", "x");
    EXPECT_EQ(RemovePath(folder / "X"), kPathFileAccessError);
    EXPECT_FALSE(FileExists(folder / "X/f"));
    EXPECT_TRUE(FileExists(folder / "X/sub"));
}

TEST(FileErrors, ErrnoMapsToRunTimeNumbers) {
    EXPECT_EQ(FileErrorFromErrno(ENOENT, false), 53);
    EXPECT_EQ(FileErrorFromErrno(ENOENT, true), 76);
    EXPECT_EQ(FileErrorFromErrno(EACCES, false), 75);
    EXPECT_EQ(FileErrorFromErrno(EEXIST, true), 75);
    EXPECT_EQ(FileErrorFromErrno(ENOSPC, false), 61);
}

}  // namespace
}  // namespace vela
