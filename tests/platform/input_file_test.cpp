#include "platform/input_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::TempFolder;
using testing::WriteFile;

TEST(InputFile, ReadsRegularFilesWhole) {
    TempFolder folder;
    const std::string text = "[Usuari]\r\nIdioma=SPA\r\n" + std::string(100000, 'x');
    WriteFile(folder / "Vela.ini", text);
    std::string contents = "old";
    EXPECT_EQ(ReadInputFile(folder / "Vela.ini", contents), InputFile::read);
    EXPECT_EQ(contents, text);
    WriteFile(folder / "empty", "");
    EXPECT_EQ(ReadInputFile(folder / "empty", contents), InputFile::read);
    EXPECT_EQ(contents, "");
    EXPECT_EQ(ReadInputFile(folder / "none", contents), InputFile::missing);
    EXPECT_EQ(ReadInputFile(folder / "none/below", contents), InputFile::missing);
    EXPECT_EQ(CheckInputFile(folder / "Vela.ini"), InputFile::read);
}

// What stands where a file should be and must not be read: a folder, an
// endless device, a pipe nobody writes to (which must not block), a file
// beyond the limit. Each is refused with words that name it.
TEST(InputFile, RefusesWhatIsNotASaneFile) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "LOCALE.LNG");
    std::filesystem::create_symlink("/dev/zero", folder / "zero.ini");
    ASSERT_EQ(::mkfifo((folder / "pipe.ini").c_str(), 0600), 0);
    WriteFile(folder / "big.hlp", std::string(2000, 'x'));
    std::string contents;
    EXPECT_EQ(ReadInputFile(folder / "LOCALE.LNG", contents), InputFile::notAFile);
    EXPECT_EQ(ReadInputFile(folder / "zero.ini", contents), InputFile::notAFile);
    EXPECT_EQ(ReadInputFile(folder / "pipe.ini", contents), InputFile::notAFile);
    EXPECT_EQ(ReadInputFile(folder / "big.hlp", contents, 1000), InputFile::tooLarge);
    EXPECT_EQ(contents, "");
    EXPECT_EQ(ReadInputFile(folder / "big.hlp", contents, 2000), InputFile::read);
    EXPECT_EQ(CheckInputFile(folder / "big.hlp", 1999), InputFile::tooLarge);

    EXPECT_EQ(InputFileProblem(folder / "LOCALE.LNG", InputFile::notAFile),
              folder / "LOCALE.LNG is a folder or a device, not a file");
    EXPECT_EQ(InputFileProblem(folder / "big.hlp", InputFile::tooLarge),
              folder / "big.hlp is larger than 4 MB, far beyond any real file of its kind");
    EXPECT_EQ(InputFileProblem(folder / "x", InputFile::read), "");
    if (::geteuid() != 0) {
        WriteFile(folder / "locked", "x");
        ::chmod((folder / "locked").c_str(), 0);
        EXPECT_EQ(ReadInputFile(folder / "locked", contents), InputFile::unreadable);
    }
}

}  // namespace
}  // namespace vela
