#include "datenum/date_text.hpp"

#include <gtest/gtest.h>

#include "datenum/calendar_dates.hpp"
#include "platform/code_page_850.hpp"
#include "tests/datenum/edit_settings_fixture.hpp"

namespace vela {
namespace {

using testing::WriteFile;

class DateTextTest : public testing::EditSettingsTest {
  protected:
    const std::string may10_ = PackDigits("20240510");
    const std::string april1_ = PackDigits("20240401");
};

TEST_F(DateTextTest, LongFormInTheFourLanguages) {
    struct Case {
        const char* language;
        const char* date;
        const char* parts;
        const char* expected;  // UTF-8
    } cases[] = {
        {"CAT", "20240510", "dma", "10 de maig del 2024"},
        {"SPA", "20240510", "dma", "10 de mayo de 2024"},
        {"GLG", "20240510", "dma", "10 de maio do 2024"},
        {"OCI", "20240510", "dma", "10 de mai deth 2024"},
        {"CAT", "20240401", "dma", "1 d'abril del 2024"},
        {"OCI", "20240401", "dma", "1 d'abriu deth 2024"},
        {"SPA", "20240401", "dma", "1 de abril de 2024"},
        {"GLG", "20240401", "dma", "1 de abril do 2024"},
        {"CAT", "20240510", "ma", "maig del 2024"},
        {"CAT", "20240510", "MA", "maig del 2024"},
        {"CAT", "20240510", "adm", "10 de maig del 2024"},  // the configured order wins
        {"CAT", "20241010", "dm", "10 d'octubre"},
        {"OCI", "20240115", "dma", "15 de gèr deth 2024"},
        {"GLG", "20240301", "m", "março"},
        {"   ", "20240510", "dma", "10 de maig del 2024"},  // blank language is Catalan
        {"ENG", "20240510", "dma", "10 de maig del 2024"},
        {"CAT", "20231231", "a", "2023"},
    };
    for (const Case& c : cases) {
        Session.language = c.language;
        EXPECT_EQ(DateText(PackDigits(c.date), 2, c.parts), Cp850(c.expected))
            << c.language << " " << c.date << " " << c.parts;
    }
}

TEST_F(DateTextTest, ShortFormsArePaddedToAFixedWidth) {
    EXPECT_EQ(DateText(may10_, 0, "dma"), "10/5/2024 ");
    EXPECT_EQ(DateText(may10_, 1, "dma"), "10/mai/2024");
    EXPECT_EQ(DateText(april1_, 0, "dma"), "1/4/2024  ");
    EXPECT_EQ(DateText(may10_, 0, "ma"), "5/2024 ");  // 2 + 4 + 1
    EXPECT_EQ(DateText(may10_, 0, "a"), "2024");
    Session.language = "OCI";
    EXPECT_EQ(DateText(may10_, 1, "dma"), "10/mai/2024");
    EXPECT_EQ(DateText(PackDigits("20240115"), 1, "dma"), Cp850("15/gèr/2024"));
    Session.language = "SPA";
    EXPECT_EQ(DateText(PackDigits("20240915"), 1, "dma"), "15/sep/2024");
}

TEST_F(DateTextTest, IsoTextIgnoresPartsAndSettings) {
    WriteUserSettings("DatCaracter=-\r\nDatOrdre=AMD\r\n");
    EXPECT_EQ(DateText(may10_, -1, ""), "2024-05-10");
    EXPECT_EQ(DateText(ZeroDate(), -1, "dma"), "0000-00-00");
}

TEST_F(DateTextTest, TheZeroDateIsBlank) {
    EXPECT_EQ(DateText(ZeroDate(), 0, "dma"), "          ");
    EXPECT_EQ(DateText(ZeroDate(), 1, "dma"), "           ");
    EXPECT_EQ(DateText(ZeroDate(), 2, "dma"), "");
}

TEST_F(DateTextTest, OrderAndSeparatorComeFromVelaIni) {
    WriteUserSettings("DatOrdre=AMD\r\n");
    EXPECT_EQ(DateText(may10_, 0, "dma"), "2024/5/10 ");
    EXPECT_EQ(DateText(may10_, 2, "dma"), "2024 de maig del 10");
    WriteUserSettings("DatCaracter=.\r\nDatOrdre=mda\r\n");
    EXPECT_EQ(DateText(may10_, 0, "dma"), "5.10.2024 ");
    // Read once: a later change of the file is not seen during the run.
    WriteFile(root_ / "Vela.ini", "[Usuari]\r\nDatCaracter=-\r\n");
    EXPECT_EQ(DateText(may10_, 0, "dma"), "5.10.2024 ");
}

TEST(MonthName, OutsideTheYearIsEmpty) {
    EXPECT_EQ(MonthName(0, "CAT"), "");
    EXPECT_EQ(MonthName(13, "SPA"), "");
    EXPECT_EQ(MonthName(7, "OCI"), "junhsega");
}

}  // namespace
}  // namespace vela
