#include "datenum/text_utils.hpp"

#include <gtest/gtest.h>

#include "platform/code_page_850.hpp"

namespace vela {
namespace {

TEST(TextUtils, BlankTestsAndCentring) {
    EXPECT_EQ(IsAllChar("", 'x'), -1);
    EXPECT_EQ(IsAllChar("   ", 32), -1);
    EXPECT_EQ(IsAllChar("  x", 32), 0);
    EXPECT_EQ(CentreOffset("1234567", 20), 6);
    EXPECT_EQ(CentreOffset(std::string(25, 'x'), 20), -2);
    EXPECT_EQ(CentreOffset(std::string(24, 'x'), 20), -2);  // truncates toward zero
    EXPECT_EQ(Choose(-1, "a", "b"), "a");
    EXPECT_EQ(Choose(0, "a", "b"), "b");
}

TEST(TextUtils, NaturalNames) {
    EXPECT_EQ(NaturalName("GARCIA LOPEZ*JUAN"), "JUAN GARCIA LOPEZ");
    EXPECT_EQ(NaturalName(" GARCIA LOPEZ * JUAN  "), "JUAN GARCIA LOPEZ");
    EXPECT_EQ(NaturalName("ESTANY*L'"), "L'ESTANY");
    EXPECT_EQ(NaturalName("ESTANY*L'   "), "L'ESTANY");
    EXPECT_EQ(NaturalName("*JOAN "), "*JOAN");
    EXPECT_EQ(NaturalName("  SA NOSTRA  "), "SA NOSTRA");
}

TEST(TextUtils, TextStackPopsInReverseOrder) {
    PushText("A");
    PushText("BC");
    PushText("");
    PushText(std::string(300, 'z'));  // lengths above one byte
    EXPECT_EQ(PopText(), std::string(300, 'z'));
    EXPECT_EQ(PopText(), "");
    EXPECT_EQ(PopText(), "BC");
    EXPECT_EQ(PopText(), "A");
    EXPECT_EQ(PopText(), "");  // an empty stack gives the empty text
}

TEST(TextUtils, FoldingForSearchesAndForCapitals) {
    SetFoldMode(true);
    EXPECT_EQ(FoldText(Cp850("Peña, José")), "PENA, JOSE");
    EXPECT_EQ(FoldText(Cp850("çÇàÁâÄåãÆæªèÉêëìíîÏòÓôöõøºùÚûüÿýÝßðÐþÞ")),
              "CCAAAAAAAAAEEEEIIIIOOOOOOOUUUUYYYSDDTT");
    EXPECT_EQ(FoldText(Cp850("@[\\]^_`{|}~\x7f£¥ƒ½¼«»░▒│┤╣═€")), std::string(25, ' ') + "E");
    EXPECT_EQ(FoldText("0123 ?!"), "0123 ?!");  // codes below 64 stay
    SetFoldMode(false);
    EXPECT_EQ(FoldText(Cp850("Peña, José")), Cp850("PEÑA, JOSÉ"));
    EXPECT_EQ(FoldText(Cp850("àãõðýäöüæåøç")), Cp850("ÀÃÕÐÝÄÖÜÆÅØÇ"));
    EXPECT_EQ(FoldText(Cp850("ÿßþ€µ{}")), Cp850("ÿßþ€µ{}"));
    // Codes above 237 are never changed, in either mode.
    for (int code = 238; code < 256; ++code) {
        EXPECT_EQ(FoldCode(static_cast<std::uint8_t>(code), true), code);
        EXPECT_EQ(FoldCode(static_cast<std::uint8_t>(code), false), code);
    }
}

TEST(TextUtils, SearchFoldingUsesOnlyCapitalsAndBlanks) {
    for (int code = 64; code <= 237; ++code) {
        const std::uint8_t folded = FoldCode(static_cast<std::uint8_t>(code), true);
        EXPECT_TRUE(folded == ' ' || (folded >= 'A' && folded <= 'Z')) << "code " << code;
    }
}

std::string Wrap(std::string text, int indent, int width, const std::string& mode) {
    WrapText(text, indent, width, mode);
    return text;
}

TEST(WrapText, LinesArePaddedAndWordsAreNotSplit) {
    EXPECT_EQ(Wrap("one two three four", 0, 9, "E"), "one two  three    four     ");
    EXPECT_EQ(Wrap("one two three four", 0, 9, "D"), "  one two    three     four");
    EXPECT_EQ(Wrap("one two three four", 0, 9, "A"), "one   twothreefour");
    EXPECT_EQ(Wrap("one two three four", 0, 9, "n"), "one two--three----four-----");
    EXPECT_EQ(Wrap("ab", 0, 9, "c"), "   ab    ");
    EXPECT_EQ(Wrap("one two", 0, 9, "x"), "one two");
}

TEST(WrapText, AWordWiderThanTheLineIsCut) {
    EXPECT_EQ(Wrap("abcdefghijkl xy", 0, 5, "E"), "abcdefghijkl xy");
}

TEST(WrapText, IndentsAndControlCharacters) {
    EXPECT_EQ(Wrap("aa bb cc", 2, 6, "E"), "  aa  bb cc ");
    EXPECT_EQ(Wrap("aa bb cc dd", -2, 6, "E"), "aa bb   cc    dd  ");
    // A control character takes no width: the line holds it and five letters.
    EXPECT_EQ(Wrap("\x01"
                   "abcde fg",
                   0, 5, "E"),
              "\x01"
              "abcdefg   ");
}

TEST(WrapText, EmptyTextGivesNoLines) {
    EXPECT_EQ(Wrap("", 0, 10, "E"), "");
}

TEST(WrapText, NeverLoopsOnOddWidths) {
    EXPECT_EQ(Wrap("abc", 0, 0, "E").find("abc") != std::string::npos, true);
    EXPECT_FALSE(Wrap("a b c", 3, 2, "E").empty());
}

}  // namespace
}  // namespace vela
