// Comma-separated values as spreadsheets write and read them.
#include "tools/recutil/csv_text.hpp"

#include <gtest/gtest.h>

namespace vela::recutil {
namespace {

std::vector<CsvRow> ReadAll(std::string_view text, std::string& error) {
    CsvReader reader(text);
    std::vector<CsvRow> rows;
    CsvRow row;
    while (reader.Next(row, error)) rows.push_back(row);
    return rows;
}

TEST(CsvText, ValuesAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(CsvLine({"0042", "GARCIA*ANNA", ""}), "0042,GARCIA*ANNA,\r\n");
    EXPECT_EQ(CsvLine({"a,b", "say \"hi\"", "two\nlines"}),
              "\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\"\r\n");
    // A spreadsheet would drop blanks at either end of a bare value.
    EXPECT_EQ(CsvValue(" C/ Major"), "\" C/ Major\"");
    EXPECT_EQ(CsvValue("x "), "\"x \"");
    EXPECT_EQ(CsvValue("Sant Martí"), "Sant Martí");
}

TEST(CsvText, ReadsWhatItWritesAndWhatSpreadsheetsWrite) {
    const std::vector<std::string> values = {"a,b", "say \"hi\"", "two\r\nlines", " x ", ""};
    std::string error;
    auto rows = ReadAll(CsvLine(values) + CsvLine({"last"}), error);
    ASSERT_EQ(rows.size(), 2u) << error;
    EXPECT_EQ(rows[0].values, values);
    EXPECT_EQ(rows[0].line, 1u);
    EXPECT_EQ(rows[1].line, 3u);  // the quoted line break counts
    EXPECT_EQ(rows[1].values, std::vector<std::string>{"last"});
    EXPECT_TRUE(error.empty());

    // A byte order mark, LF line ends, empty lines, no line end at the end.
    rows = ReadAll("\xEF\xBB\xBFh1,h2\n\n1,2\n\r\n3,\n,4", error);
    ASSERT_EQ(rows.size(), 4u) << error;
    EXPECT_EQ(rows[0].values, (std::vector<std::string>{"h1", "h2"}));
    EXPECT_EQ(rows[1].line, 3u);
    EXPECT_EQ(rows[2].values, (std::vector<std::string>{"3", ""}));
    EXPECT_EQ(rows[2].line, 5u);
    EXPECT_EQ(rows[3].values, (std::vector<std::string>{"", "4"}));
    EXPECT_TRUE(ReadAll("", error).empty());
    EXPECT_TRUE(error.empty());
}

TEST(CsvText, MalformedTextNamesLineAndColumn) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a,b\r\n1,\"open\r\n", "line 2, column 2: a quoted value is not closed"},
        {"a,b\n1,2\n3,x\"y\n", "line 3, column 2: a quote inside a value that is not quoted"},
        {"a,b\n\"1\"x,2\n", "line 2, column 1: text after the closing quote of a value"},
    };
    for (const auto& [text, why] : cases) {
        std::string error;
        ReadAll(text, error);
        EXPECT_EQ(error, why) << text;
    }
}

}  // namespace
}  // namespace vela::recutil
