#include "platform/terminal/size_notice.hpp"

#include <gtest/gtest.h>

#include "platform/code_page_850.hpp"

namespace vela::terminal {
namespace {

TEST(SizeNotice, WrapsAtBlanksToTheWidthAndCutsLongWords) {
    EXPECT_EQ(SizeNoticeLines("CAL UN TERMINAL DE 80 COLUMNES", 12),
              (std::vector<std::string>{"CAL UN", "TERMINAL DE", "80 COLUMNES"}));
    EXPECT_EQ(SizeNoticeLines("ABCDEFGHIJ KL", 4),
              (std::vector<std::string>{"ABCD", "EFGH", "IJ", "KL"}));
    EXPECT_EQ(SizeNoticeLines("  A   B  ", 80), (std::vector<std::string>{"A B"}));
    EXPECT_TRUE(SizeNoticeLines("", 10).empty());
}

TEST(SizeNotice, CentredWithTheSizeNowBelowAndClearedFirst) {
    const std::string bytes = SizeNoticeBytes(Cp850("MÍNIM 80 x 25"), 20, 60);
    EXPECT_EQ(bytes.rfind("\x1b[?25l\x1b[0m\x1b[2J", 0), 0u);
    // Two lines on rows 10 and 11, each centred on the 60 columns.
    EXPECT_NE(bytes.find("\x1b[10;24HMÍNIM 80 x 25"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\x1b[11;27H60 x 20"), std::string::npos) << bytes;
}

TEST(SizeNotice, ATinyTerminalGetsWhatFits) {
    const std::string bytes = SizeNoticeBytes("A B C D", 2, 1);
    EXPECT_NE(bytes.find("\x1b[1;1HA"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\x1b[2;1HB"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find("C"), std::string::npos) << bytes;
}

}  // namespace
}  // namespace vela::terminal
