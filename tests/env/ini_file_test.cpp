#include "env/ini_file.hpp"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// The files and folders in a folder (no temporary copy may be left there).
int EntriesIn(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    int entries = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') ++entries;
    }
    ::closedir(dir);
    return entries;
}

class IniReadTest : public ::testing::Test {
  protected:
    std::string Read(const std::string& contents, const std::string& section,
                     const std::string& key) {
        WriteFile(folder_ / "t.ini", contents);
        return IniRead(folder_ / "t.ini", section, key);
    }
    TempFolder folder_;
};

TEST_F(IniReadTest, HeadersMatchWithoutCaseOrBlanks) {
    EXPECT_EQ(Read("[ menu ]\r\nTitol=Rebuts\r\n", "Menu", "Titol"), "Rebuts");
    EXPECT_EQ(Read("  [Menu\r\ntitol=X\r\n", " MENU ", " TITOL "), "X");  // no "]"
}

TEST_F(IniReadTest, ValueKeepsItsBlanksUpToTheComment) {
    EXPECT_EQ(Read("[Terminal]\r\nDir = C:\\X ; terminal\r\n", "Terminal", "Dir"), " C:\\X ");
    EXPECT_EQ(Read("[S]\nk=a=b\n", "S", "k"), "a=b");
    EXPECT_EQ(Read("[S]\r\n\tk=1\r\n", "S", "k"), "");  // a tab is not a blank
}

TEST_F(IniReadTest, QuotesAreRemovedOnlyInPairs) {
    EXPECT_EQ(Read("[S]\r\nk=\"a b\"\r\n", "S", "k"), "a b");
    EXPECT_EQ(Read("[S]\r\nk=\"\r\n", "S", "k"), "\"");
    EXPECT_EQ(Read("[S]\r\nk=\"\"\r\n", "S", "k"), "");
    EXPECT_EQ(Read("[S]\r\nk=\"a\" \r\n", "S", "k"), "\"a\" ");
}

TEST_F(IniReadTest, OnlyTheFirstOccurrenceOfASectionIsSearched) {
    const std::string text = "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[A]\r\nz=3\r\nx=4\r\n";
    EXPECT_EQ(Read(text, "A", "x"), "1");
    EXPECT_EQ(Read(text, "A", "z"), "");
    EXPECT_EQ(Read(text, "B", "y"), "2");
}

TEST_F(IniReadTest, TheFirstMatchingKeyWinsAndLinesBeforeAHeaderAreIgnored) {
    EXPECT_EQ(Read("k=0\r\n[S]\r\nk=1\r\nK=2\r\n", "S", "k"), "1");
    EXPECT_EQ(Read("[S]\r\n; k=1\r\nnot a key\r\nk=2", "S", "k"), "2");
}

TEST_F(IniReadTest, MissingOrUnreadableFilesGiveEmptyText) {
    EXPECT_EQ(IniRead(folder_ / "none.ini", "S", "k"), "");
    EXPECT_EQ(IniRead(folder_.path(), "S", "k"), "");  // a folder
    // An endless device and a pipe nobody writes: empty at once, no wait,
    // no memory exhausted; and IniWrite never replaces them.
    ::symlink("/dev/zero", (folder_ / "zero.ini").c_str());
    ::mkfifo((folder_ / "pipe.ini").c_str(), 0600);
    EXPECT_EQ(IniRead(folder_ / "zero.ini", "S", "k"), "");
    EXPECT_EQ(IniRead(folder_ / "pipe.ini", "S", "k"), "");
    EXPECT_FALSE(IniWrite(folder_ / "zero.ini", "S", "k", "v"));
    struct stat info {};
    EXPECT_EQ(::lstat((folder_ / "zero.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(Read(std::string("\0\xff\x01[S]\0k=\0", 11), "S", "k"), "");
    EXPECT_EQ(Read("", "S", "k"), "");
}

TEST(IniRewrite, ExistingKeyKeepsItsLineAndPlace) {
    const std::string before = "; top\r\n[S]\r\n   Key = old ; comment\r\nother=1\r\n";
    EXPECT_EQ(IniRewrite(before, "s", "KEY", "new"), "; top\r\n[S]\r\n   Key =new\r\nother=1\r\n");
}

TEST(IniRewrite, EveryMatchingKeyLineOfTheSectionIsRewritten) {
    EXPECT_EQ(IniRewrite("[S]\r\nk=1\r\nk=2\r\n", "S", "k", "9"), "[S]\r\nk=9\r\nk=9\r\n");
}

TEST(IniRewrite, NewKeyGoesAfterTheSectionsLastNonBlankLine) {
    const std::string before = "[A]\r\nx=1\r\n\r\n; about B\r\n[B]\r\ny=2\r\n";
    EXPECT_EQ(IniRewrite(before, "A", "new", "v"),
              "[A]\r\nx=1\r\nnew=v\r\n\r\n; about B\r\n[B]\r\ny=2\r\n");
}

TEST(IniRewrite, NewSectionGoesAtTheEndBeforeTrailingBlankLines) {
    const std::string before = "[A]\r\nx=1\r\n\r\n; end\r\n";
    EXPECT_EQ(IniRewrite(before, "Presentador", "Nom", "Ana"),
              "[A]\r\nx=1\r\n[Presentador]\r\nNom=Ana\r\n\r\n; end\r\n");
}

TEST(IniRewrite, NewKeyInTheLastSectionGoesBeforeTrailingBlankLines) {
    EXPECT_EQ(IniRewrite("[A]\r\nx=1\r\n\r\n\r\n", "A", "y", "2"), "[A]\r\nx=1\r\ny=2\r\n\r\n\r\n");
}

TEST(IniRewrite, EmptyFileGetsExactlyTheHeaderAndTheKey) {
    EXPECT_EQ(IniRewrite("", "Presentador", "Telefon", "933333333"),
              "[Presentador]\r\nTelefon=933333333\r\n");
}

TEST(IniRewrite, EmptyValueRemovesTheKeyOrChangesNothing) {
    EXPECT_EQ(IniRewrite("[S]\r\na=1\r\nk=2\r\nb=3\r\n", "S", "k", ""), "[S]\r\na=1\r\nb=3\r\n");
    const std::string before = "[S]\r\na=1\r\n\r\n";
    EXPECT_EQ(IniRewrite(before, "S", "k", ""), before);
    EXPECT_EQ(IniRewrite(before, "T", "k", ""), before);
}

TEST(IniRewrite, EmptyKeyRemovesTheSectionButKeepsBlankAndCommentLines) {
    const std::string before = "[A]\r\nx=1\r\n; keep\r\ny=2\r\n\r\n[B]\r\nz=3\r\n";
    EXPECT_EQ(IniRewrite(before, "A", "", ""), "; keep\r\n\r\n[B]\r\nz=3\r\n");
}

TEST(IniRewrite, UntouchedLinesKeepTheirBytesAndLineEnds) {
    // LF and CR LF lines, a last line without a line end, repeated sections:
    // everything not rewritten is copied as it stands.
    const std::string before =
        "; header comment\n[A]\nx=1 ; c\n\n[B]\r\n  y = 2\r\n[A]\nw=0\n; trailing";
    const std::string after = IniRewrite(before, "B", "y", "7");
    EXPECT_EQ(after, "; header comment\n[A]\nx=1 ; c\n\n[B]\r\n  y =7\r\n[A]\nw=0\n; trailing");
    const std::string added = IniRewrite(before, "C", "k", "v");
    EXPECT_EQ(added,
              "; header comment\n[A]\nx=1 ; c\n\n[B]\r\n  y = 2\r\n[A]\nw=0\n[C]\r\nk=v\r\n"
              "; trailing");
    const std::string noEnd = IniRewrite("[A]\nx=1", "A", "y", "2");
    EXPECT_EQ(noEnd, "[A]\nx=1\r\ny=2\r\n");
}

TEST(IniRewrite, ARepeatedSectionHasItsKeysRewrittenInEveryOccurrence) {
    EXPECT_EQ(IniRewrite("[A]\r\nx=1\r\n[B]\r\n[A]\r\nx=2\r\n", "A", "x", "9"),
              "[A]\r\nx=9\r\n[B]\r\n[A]\r\nx=9\r\n");
}

TEST(IniWrite, CreatesAMissingFileAndLeavesNoTemporaryFile) {
    TempFolder folder;
    ASSERT_TRUE(IniWrite(folder / "Vela.ini", "Presentador", "Nom", "ANA"));
    EXPECT_EQ(ReadFile(folder / "Vela.ini"), "[Presentador]\r\nNom=ANA\r\n");
    EXPECT_EQ(IniRead(folder / "Vela.ini", "presentador", "nom"), "ANA");
    EXPECT_EQ(EntriesIn(folder.path()), 1);
}

TEST(IniWrite, WindowsStylePathsAndCaseFallbackReachTheSameFile) {
    TempFolder folder;
    WriteFile(folder / "VELA.INI", "[Usuari]\r\nIdioma=SPA\r\n");
    ASSERT_TRUE(IniWrite(folder.path() + "Vela.ini", "Usuari", "DatOrdre", "DMA"));
    EXPECT_EQ(ReadFile(folder / "VELA.INI"), "[Usuari]\r\nIdioma=SPA\r\nDatOrdre=DMA\r\n");
}

TEST(IniWrite, KeepsTheFilesPermissions) {
    TempFolder folder;
    WriteFile(folder / "a.ini", "[S]\r\n");
    ::chmod((folder / "a.ini").c_str(), 0600);
    ASSERT_TRUE(IniWrite(folder / "a.ini", "S", "k", "v"));
    struct stat info;
    ASSERT_EQ(::stat((folder / "a.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(IniWrite, GivesUpAfterRetriesAndLeavesNothingBehind) {
    // A folder standing where the INI file should be can never be replaced
    // (and is never read as a file): the write gives up and cleans up.
    TempFolder folder;
    ::mkdir((folder / "a.ini").c_str(), 0755);
    WriteFile(folder / "a.ini/keep", "x");
    EXPECT_FALSE(IniWrite(folder / "a.ini", "S", "k", "2"));
    EXPECT_EQ(ReadFile(folder / "a.ini/keep"), "x");
    EXPECT_EQ(EntriesIn(folder.path()), 1);
}

TEST(IniWrite, AnUnwritableFolderLeavesTheOldFileAlone) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempFolder folder;
    ::mkdir((folder / "ro").c_str(), 0755);
    WriteFile(folder / "ro/a.ini", "[S]\r\nk=1\r\n");
    ::chmod((folder / "ro").c_str(), 0555);
    EXPECT_FALSE(IniWrite(folder / "ro/a.ini", "S", "k", "2"));
    EXPECT_EQ(ReadFile(folder / "ro/a.ini"), "[S]\r\nk=1\r\n");
    ::chmod((folder / "ro").c_str(), 0755);
}

TEST(IniWrite, AFolderThatDoesNotExistFailsWithoutCrashing) {
    TempFolder folder;
    EXPECT_FALSE(IniWrite(folder / "missing/a.ini", "S", "k", "v"));
}

}  // namespace
}  // namespace vela
