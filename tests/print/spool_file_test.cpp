#include "print/spool_file.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "env/session.hpp"
#include "print/spool_directives.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::ReadFile;
using testing::TempFolder;

TEST(SpoolNumber, SequentialOutputForm) {
    EXPECT_EQ(SpoolNumber(66), " 66 ");
    EXPECT_EQ(SpoolNumber(0), " 0 ");
    EXPECT_EQ(SpoolNumber(-3), "-3 ");
    EXPECT_EQ(SpoolNumber(-32768), "-32768 ");
}

TEST(JustificationCode, FirstLetterDecides) {
    struct Case {
        const char* alignment;
        const char* code;
    } cases[] = {
        {"C", "C"},
        {"c", "C"},
        {"D", "D"},
        {"r", "D"},
        {"  R  ", "D"},
        {"a", "A"},
        {"B", "A"},
        {"E", "E"},
        {"x", "E"},
        {"", "E"},
        {"   ", "E"},
        {"N 68 \\.\\", "N 68 \\.\\"},
        {"n12 \\abc\\", "N 12 \\abc\\"},
        {"n12 \\abc\\ def\\", "N 12 \\abc\\"},
        {"N-5.7 \\-", "N 5 \\-"},
        {"N", "N 0 "},
        {"N99999999 \\.\\", "N 32767 \\.\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JustificationCode(c.alignment), c.code) << '"' << c.alignment << '"';
    }
}

TEST(Directives, Forms) {
    EXPECT_EQ(DeviceDirective("PDF"), "DEVICEPDF");
    EXPECT_EQ(JustificationDirective("D"), "JUSD");
    EXPECT_EQ(ControlDirective("@e"), "*@e");
    EXPECT_EQ(SendDirective("a@b.cat,,ANNA"), "SENDa@b.cat,,ANNA");
    EXPECT_EQ(PageDirective(66), "PAGE 66 ");
    EXPECT_EQ(TextDirective(1, "ABC", 1), " 1 ,ABC, 1 ");
    EXPECT_EQ(PrintableText(std::string("a\tb\rc\x7f"
                                        "d\xff"
                                        "e\x80",
                                        10)),
              "a b c d e\x80");
}

class SpoolFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = Session;
        Session.tmpDir = folder_.path();
        Spool = {};
    }
    void TearDown() override {
        CloseSpool();
        Session = saved_;
        Spool = {};
    }
    std::string Written() const { return ReadFile(folder_ / "rovodovo.tmp"); }

    TempFolder folder_;
    SessionRecord saved_;
};

TEST_F(SpoolFileTest, SmallDocumentByteForByte) {
    ASSERT_TRUE(OpenSpool("LPT1"));
    NewPage(66);
    PrintControl("@e");
    std::string alignment = "r";
    SetJustification(alignment);
    EXPECT_EQ(alignment, "D");
    alignment = "x";
    SetJustification(alignment);
    EXPECT_EQ(alignment, "E");
    alignment = "n12 \\abc\\";
    SetJustification(alignment);
    EXPECT_EQ(alignment, "N 12 \\abc\\");
    SpoolSend("anna@exemple.cat,,ANNA PUIG");
    PrintText(1, "ABC", 1);
    const std::string withControls = "a\tb\rc";
    PrintText(5, withControls, 0);
    EXPECT_EQ(withControls, "a\tb\rc");
    EXPECT_EQ(Spool.column, 10);
    PrintText(0, "XY", 0);
    EXPECT_EQ(Spool.column, 12);
    PrintText(0, "", 2);
    EXPECT_EQ(Spool.column, 0);
    EXPECT_EQ(Spool.lineCount, 3);
    CloseSpool();
    EXPECT_EQ(Written(),
              "DEVICELPT1\r\n"
              "PAGE 66 \r\n"
              "*@e\r\n"
              "JUSD\r\n"
              "JUSE\r\n"
              "JUSN 12 \\abc\\\r\n"
              "SENDanna@exemple.cat,,ANNA PUIG\r\n"
              " 1 ,ABC, 1 \r\n"
              " 5 ,a b c, 0 \r\n"
              " 0 ,XY, 0 \r\n"
              " 0 ,, 2 \r\n");
    EXPECT_EQ(Spool.lineCount, 3);  // kept after closing
}

TEST_F(SpoolFileTest, TheSixtySeventhLineStartsANewPage) {
    ASSERT_TRUE(OpenSpool("PDF"));
    NewPage(66);
    std::string expected = "DEVICEPDF\r\nPAGE 66 \r\n";
    for (int line = 1; line <= 66; ++line) {
        PrintText(1, "L", 1);
        expected += " 1 ,L, 1 \r\n";
    }
    EXPECT_EQ(Spool.lineCount, 66);
    PrintText(3, "M", 1);
    expected += "PAGE 66 \r\n 3 ,M, 1 \r\n";
    EXPECT_EQ(Spool.lineCount, 1);
    CloseSpool();
    EXPECT_EQ(Written(), expected);
}

TEST_F(SpoolFileTest, TextBeforeAnyPageGetsAPageOfZeroLines) {
    ASSERT_TRUE(OpenSpool(""));
    PrintText(1, "A", 0);
    PrintText(0, "B", 1);
    CloseSpool();
    EXPECT_EQ(Written(), "DEVICE\r\nPAGE 0 \r\n 1 ,A, 0 \r\nPAGE 0 \r\n 0 ,B, 1 \r\n");
}

TEST_F(SpoolFileTest, OpeningAgainOverwritesTheOldFile) {
    ASSERT_TRUE(OpenSpool("A"));
    PrintControl("bi");
    ASSERT_TRUE(OpenSpool("B"));
    CloseSpool();
    EXPECT_EQ(Written(), "DEVICEB\r\n");
}

TEST_F(SpoolFileTest, AMissingFolderOpensNothing) {
    Session.tmpDir = folder_ / "missing/";
    EXPECT_FALSE(OpenSpool("A"));
    PrintText(1, "A", 1);  // written nowhere, but still counted
    EXPECT_EQ(Spool.lineCount, 1);
    EXPECT_FALSE(CloseSpool());
    EXPECT_FALSE(SpoolError().empty());
}

// Texts taken from records go into send and control directives as well as
// text lines: none of them may end its line early and start a directive of
// its own.
TEST_F(SpoolFileTest, RecordTextsCannotAddDirectives) {
    ASSERT_TRUE(OpenSpool("PDF\r\nSENDx@y.es"));
    NewPage(66);
    SpoolSend("a@b.es\r\nSENDevil@x.es,,X\nPAGE 1 ,,NAME\x7f");
    PrintControl("@e\nSENDevil@x.es");
    std::string alignment = "n5 \\a\tb\\";
    SetJustification(alignment);
    PrintText(1, "LINE\r\n 1 ,INJECTED, 1 ", 1);
    EXPECT_TRUE(CloseSpool());
    EXPECT_TRUE(SpoolError().empty());
    EXPECT_EQ(Written(),
              "DEVICEPDF  SENDx@y.es\r\n"
              "PAGE 66 \r\n"
              "SENDa@b.es  SENDevil@x.es,,X PAGE 1 ,,NAME \r\n"
              "*@e SENDevil@x.es\r\n"
              "JUSN 5 \\a b\\\r\n"
              " 1 ,LINE   1 ,INJECTED, 1 , 1 \r\n");
}

// A full disk (here the device that is always full) cuts the spool file
// short: the close says so, with the system's reason.
TEST_F(SpoolFileTest, AFailedWriteIsReportedAtTheClose) {
    std::filesystem::create_symlink("/dev/full", folder_ / "rovodovo.tmp");
    ASSERT_TRUE(OpenSpool("PDF"));
    NewPage(66);
    for (int line = 0; line < 2000; ++line) PrintText(1, std::string(60, 'X'), 1);
    EXPECT_FALSE(CloseSpool());
    EXPECT_EQ(SpoolError(), std::strerror(ENOSPC));
    // The next spool file starts with a clean slate.
    std::filesystem::remove(folder_ / "rovodovo.tmp");
    ASSERT_TRUE(OpenSpool("PDF"));
    EXPECT_TRUE(CloseSpool());
    EXPECT_TRUE(SpoolError().empty());
}

}  // namespace
}  // namespace vela
