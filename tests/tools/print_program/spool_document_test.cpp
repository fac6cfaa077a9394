#include "tools/print_program/spool_document.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

TEST(SpoolDocument, TextLandsAtItsColumnsAndLines) {
    const SpoolContents c =
        ReadSpool("DEVICEPDF\r\nPAGE 66 \r\n*@e\r\n 1 ,OWNER, 0 \r\n 10 ,X, 2 \r\n 3 ,A,B, 1 \r\n");
    EXPECT_TRUE(c.isSpool);
    EXPECT_EQ(c.device, "PDF");
    ASSERT_EQ(c.documents.size(), 1u);
    ASSERT_EQ(c.documents[0].pages.size(), 1u);
    const auto& lines = c.documents[0].pages[0].lines;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "OWNER    X");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "  A,B");  // commas inside the text survive
}

TEST(SpoolDocument, ColumnZeroContinuesTheLineAndFillsRunToTheirColumn) {
    const SpoolContents c = ReadSpool(
        "DEVICE\r\nPAGE 66 \r\n 1 ,REF , 0 \r\n 0 ,I42, 1 \r\n"
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
    ASSERT_EQ(c.documents[1].pages.size(), 2u);
    EXPECT_EQ(c.documents[1].pages[1].lines[0], "three");
}

TEST(SpoolDocument, BoldControlsMarkTheirCharacters) {
    // "bi" on, "ib" off, "b" toggles, "@e" resets; a new document starts plain.
    const SpoolContents c = ReadSpool(
        "DEVICE\r\nPAGE 66 \r\n*bi\r\n 1 ,AB, 0 \r\n*ib\r\n 0 ,cd, 0 \r\n*b\r\n 0 ,EF, 0 \r\n"
        "*b\r\n 0 ,g, 1 \r\n*bi\r\n*@e\r\n 1 ,h, 1 \r\n*bi\r\nSEND,,X\r\nPAGE 66 \r\n"
        " 1 ,i, 1 \r\n");
    const SpoolPage& page = c.documents[0].pages[0];
    EXPECT_EQ(page.lines[0], "ABcdEFg");
    EXPECT_EQ(page.bold[0], "bb  bb ");
    EXPECT_EQ(page.bold[1], " ");
    EXPECT_EQ(c.documents[1].pages[0].bold[0], " ");
}

TEST(SpoolDocument, NotASpoolFileWithoutTheDeviceLine) {
    EXPECT_FALSE(ReadSpool("").isSpool);
    EXPECT_FALSE(ReadSpool("%PDF-1.5\n").isSpool);
    EXPECT_FALSE(ReadSpool("PAGE 66 \r\n 1 ,X, 1 \r\n").isSpool);
    const SpoolContents empty = ReadSpool("DEVICEPANTALLA\r\n");
    EXPECT_TRUE(empty.isSpool);
    EXPECT_TRUE(empty.documents.empty());
}

TEST(SpoolDocument, DamagedLinesAreSetAsideNeverCrash) {
    const SpoolContents c = ReadSpool(
        "DEVICE\r\ngarbage\r\n 1 ,no advance\r\n 99999999 ,X, 99999999 \r\n"
        " 1 ,Y, 1 \r\n" +
        std::string(100000, 'Z') + "\r\n 5 ," + std::string(20000, 'W') + ", 1 ");
    // garbage, the line without an advance, the line of Zs, and the line of
    // Ws, cut at the longest line read and so without its advance.
    EXPECT_EQ(c.unreadLines, 4);
    ASSERT_EQ(c.documents.size(), 1u);
    EXPECT_LE(c.documents[0].pages[0].lines.size(), 10001u);
    for (const auto& line : c.documents[0].pages[0].lines) EXPECT_LE(line.size(), 6000u);
}

TEST(SpoolReader, HandsOutOnePageAtATime) {
    std::string spool = "DEVICEPDF\r\n";
    for (int d = 0; d < 3; ++d) {
        spool += "SENDp" + std::to_string(d) + "@x.cat,,P\r\n";
        for (int p = 0; p < 2; ++p) spool += "PAGE 66 \r\n 1 ,d" + std::to_string(d) + ", 1 \r\n";
    }
    std::istringstream in(spool);
    SpoolReader reader(in);
    ASSERT_TRUE(reader.ReadHeader());
    std::string events;
    for (auto e = reader.Next(); e != SpoolReader::Event::End; e = reader.Next()) {
        events += e == SpoolReader::Event::Document ? "D" : "P";
        if (e == SpoolReader::Event::Page) {
            EXPECT_EQ(reader.page().lines.size(), 1u);
        }
    }
    EXPECT_EQ(events, "DPPDPPDPP");
    EXPECT_EQ(reader.Next(), SpoolReader::Event::End);
}

// Every file of the corpus (real spool files and damaged ones) reads
// without a crash, and what is read stays within the paper's bounds.
TEST(SpoolReader, CorpusReadsWithinBounds) {
    namespace fs = std::filesystem;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(VELA_SPOOL_CORPUS)) {
        const std::string text = testing::ReadFile(entry.path().string());
        ++files;
        // The file as it is and every prefix cut at a few points.
        for (std::size_t cut : {text.size(), text.size() / 2, text.size() / 3, std::size_t{7}}) {
            const SpoolContents c = ReadSpool(text.substr(0, std::min(cut, text.size())));
            for (const auto& document : c.documents) {
                for (const auto& page : document.pages) {
                    ASSERT_EQ(page.lines.size(), page.bold.size());
                    EXPECT_LE(page.lines.size(), 10001u);
                    for (std::size_t i = 0; i < page.lines.size(); ++i) {
                        EXPECT_EQ(page.lines[i].size(), page.bold[i].size());
                    }
                }
            }
        }
    }
    EXPECT_GE(files, 3);
}

}  // namespace
}  // namespace vela
