#include "platform/code_page_850.hpp"

#include <gtest/gtest.h>
#include <iconv.h>

namespace vela {
namespace {

// glibc's own code page 850 table is the reference for the printable codes;
// 213 differs on purpose (the euro variant shows the euro sign there).
TEST(CodePage850, UpperHalfMatchesGlibc) {
    iconv_t cd = iconv_open("UTF-32LE", "IBM850");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int code = 128; code < 256; ++code) {
        if (code == 213) continue;
        char in = static_cast<char>(code);
        char32_t out = 0;
        char* inPtr = &in;
        char* outPtr = reinterpret_cast<char*>(&out);
        size_t inLeft = 1, outLeft = sizeof out;
        ASSERT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<size_t>(-1));
        EXPECT_EQ(Cp850ToUnicode(static_cast<std::uint8_t>(code)), out) << "code " << code;
    }
    iconv_close(cd);
    EXPECT_EQ(Cp850ToUnicode(213), U'\u20AC');
}

TEST(CodePage850, ControlCodesShowAsPcGlyphs) {
    EXPECT_EQ(Cp850ToUnicode(1), U'\u263A');
    EXPECT_EQ(Cp850ToUnicode(27), U'\u2190');
    EXPECT_EQ(Cp850ToUnicode(127), U'\u2302');
}

TEST(CodePage850, EveryCodeRoundTripsThroughUtf8) {
    for (int code = 32; code < 256; ++code) {
        const std::string one(1, static_cast<char>(code));
        EXPECT_EQ(Cp850(Utf8FromCp850(one)), one) << "code " << code;
    }
}

TEST(CodePage850, SourceLiteralsConvertOnce) {
    EXPECT_EQ(Cp850("PÀGINA"), std::string("P\xB7GINA"));
    EXPECT_EQ(Cp850("REFERÈNCIA"), std::string("REFER\xD4NCIA"));
    EXPECT_EQ(Cp850("┌─┐"), std::string("\xDA\xC4\xBF"));
    EXPECT_EQ(Cp850("ñç€"), std::string("\xA4\x87\xD5"));
    EXPECT_EQ(Cp850("中"), "?");
}

TEST(CodePage850, MalformedUtf8NeverReadsPastTheEnd) {
    EXPECT_EQ(Cp850(std::string("\xC3", 1)), "?");
    EXPECT_EQ(Cp850(std::string("a\xE2\x82", 3)), "a??");
    EXPECT_EQ(Cp850(std::string("\xFF\xFE", 2)), "??");
}

}  // namespace
}  // namespace vela
