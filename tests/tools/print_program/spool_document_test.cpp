#include "tools/print_program/spool_document.hpp"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(SpoolDocument, TextLandsAtItsColumnsAndLines) {
    const SpoolContents c =
        ReadSpool("DEVICEPDF\r\nPAGE 66 \r\n*@e\r\n 1 ,OWNER, 0 \r\n 10 ,X, 2 \r\n 3 ,A,B, 1 \r\n");
    EXPECT_EQ(c.device, "PDF");
    ASSERT_EQ(c.documents.size(), 1u);
    ASSERT_EQ(c.documents[0].pages.size(), 1u);
    const auto& lines = c.documents[0].pages[0].lines;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "OWNER    X");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "  A,B");  // commas inside the text survive
    EXPECT_EQ(c.documents[0].controls, std::vector<std::string>{"@e"});
}

TEST(SpoolDocument, ColumnZeroContinuesTheLineAndFillsRunToTheirColumn) {
    const SpoolContents c = ReadSpool(
        "PAGE 66 \r\n 1 ,REF , 0 \r\n 0 ,I42, 1 \r\n"
        "JUSN 10 \\.\\\r\n 1 ,NIF, 0 \r\n 12 ,X, 1 \r\n");
    const auto& lines = c.documents[0].pages[0].lines;
    EXPECT_EQ(lines[0], "REF I42");
    EXPECT_EQ(lines[1], "NIF....... X");
}

TEST(SpoolDocument, SendStartsADocumentAndPageStartsAPage) {
    const SpoolContents c = ReadSpool(
        "DEVICEMAIL\r\nSENDa@b.cat,,ANNA\r\nPAGE 66 \r\n 1 ,one, 1 \r\n"
        "SEND,,JOAN\r\nPAGE 66 \r\n 1 ,two, 1 \r\nPAGE 66 \r\n"
        " 1 ,three, 1 \r\n");
    ASSERT_EQ(c.documents.size(), 2u);
    EXPECT_EQ(c.documents[0].sendTo, "a@b.cat,,ANNA");
    EXPECT_EQ(c.documents[1].sendTo, ",,JOAN");
    EXPECT_EQ(c.documents[1].pages.size(), 2u);
    EXPECT_EQ(c.documents[1].pages[1].lines[0], "three");
}

TEST(SpoolDocument, DamagedLinesAreSetAsideNeverCrash) {
    const SpoolContents c = ReadSpool(
        "garbage\r\n 1 ,no advance\r\n 99999999 ,X, 99999999 \r\n"
        " 1 ,Y, 1 ");
    EXPECT_EQ(c.unreadLines.size(), 2u);
    ASSERT_EQ(c.documents.size(), 1u);
    EXPECT_LE(c.documents[0].pages[0].lines.size(), 10001u);
}

}  // namespace
}  // namespace vela
