#include "tools/recutil/unload_format.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace vela::recutil {
namespace {

std::vector<std::string> ReadAll(const std::string& text, std::string& error) {
    std::istringstream in(text);
    std::vector<std::string> records;
    std::string record;
    while (ReadUnloadRecord(in, record, error)) records.push_back(record);
    return records;
}

TEST(UnloadFormatTest, ReadsRecordsWithAnyBytes) {
    std::string error;
    const std::string binary("A\r\n\x1A\0B", 6);
    const std::string text = "3,abc\r\n6," + binary +
                             "\r\n0,\r\n\x1A"
                             "garbage after the end";
    EXPECT_EQ(ReadAll(text, error), (std::vector<std::string>{"abc", binary, ""}));
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadAll("2,ab\n2,cd", error), (std::vector<std::string>{"ab"}));
    EXPECT_NE(error, "");  // the last record lacks its line end
}

TEST(UnloadFormatTest, MalformedInputSaysWhatIsWrong) {
    for (const char* text : {"x,abc\r\n", "3abc\r\n", "5,abc\r\n", "3,abcd\r\n", "99999999,"}) {
        std::string error;
        ReadAll(text, error);
        EXPECT_NE(error, "") << text;
    }
}

TEST(UnloadFormatTest, WritesWhatItReads) {
    std::ostringstream out;
    WriteUnloadRecord(out, std::string("x\0y", 3));
    WriteUnloadRecord(out, "");
    EXPECT_EQ(out.str(), std::string("3,x\0y\r\n0,\r\n", 11));
}

}  // namespace
}  // namespace vela::recutil
