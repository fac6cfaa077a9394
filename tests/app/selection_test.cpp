#include "app/selection.hpp"

#include <gtest/gtest.h>

#include "datenum/calendar_dates.hpp"
#include "datenum/dotted_codes.hpp"
#include "platform/clock.hpp"
#include "platform/code_page_850.hpp"

namespace vela {
namespace {

SelectionFields Fields(const std::string& kind, const std::string& name, const std::string& phone) {
    return {kind, "31.12.2025", "1   ", "9999", name, phone};
}

TEST(Selection, ValuesAreCopiedPacked) {
    SetTodayForTesting(20261208);
    const SelectionCheck check = CheckSelection(Fields("R", "", ""));
    SetTodayForTesting(0);
    EXPECT_TRUE(check.accepted);
    EXPECT_TRUE(check.messages.empty());
    EXPECT_EQ(Selection.outputKind, "R");
    EXPECT_EQ(Selection.closingDate, PackDigits("20251231"));
    EXPECT_EQ(Selection.firstOwner, PackDigits("0001"));
    EXPECT_EQ(Selection.lastOwner, PackDigits("9999"));
}

TEST(Selection, OnlyReturnFilesCheckThePresenter) {
    EXPECT_TRUE(CheckSelection(Fields("C", "", "")).accepted);
    EXPECT_TRUE(CheckSelection(Fields("S", "GARCIA LOPEZ ANNA", "933000000")).accepted);
    EXPECT_EQ(Selection.contactName, "GARCIA LOPEZ ANNA");
}

TEST(Selection, PresenterMessagesComeInTurn) {
    SelectionCheck check = CheckSelection(Fields("S", "GARCIA LOPEZ", "         "));
    EXPECT_FALSE(check.accepted);
    EXPECT_EQ(check.messages,
              (std::vector<std::string>{"NOM DE CONTACTE INCORRECTE",
                                        Cp850("HEU D'INDICAR EL TELÈFON DE CONTACTE")}));
    check = CheckSelection(Fields("S", std::string(40, ' '), "93"));
    EXPECT_EQ(check.messages, std::vector<std::string>{"HEU D'INDICAR EL NOM DE CONTACTE"});
    check = CheckSelection(Fields("S", "GARCIA LOPEZ ANNA", "abc"));
    EXPECT_EQ(check.messages,
              std::vector<std::string>{Cp850("HEU D'INDICAR EL TELÈFON DE CONTACTE")});
}

// Values that would break the return record's fixed layout or the INI file
// they are kept in: control characters in the name, anything but digits in
// the telephone. Each gets its message; good values still pass with their
// blank padding.
TEST(Selection, ContactValuesRefuseControlCharactersAndLetters) {
    const std::string good = "GARCIA LOPEZ ANNA" + std::string(23, ' ');
    for (const std::string& name :
         {std::string("GARCIA\tLOPEZ ANNA"), std::string("GARCIA LOPEZ ANNA\r\nNom=X"),
          std::string("GARCIA LOPEZ\x7f ANNA"), std::string("\t\t\t")}) {
        const SelectionCheck check = CheckSelection(Fields("S", name, "933000000"));
        EXPECT_FALSE(check.accepted) << name;
        EXPECT_EQ(check.messages, std::vector<std::string>{"NOM DE CONTACTE INCORRECTE"}) << name;
    }
    for (const char* phone : {"9x3445566", "93 300 00", "933-0000 ", "93300000\t"}) {
        const SelectionCheck check = CheckSelection(Fields("S", good, phone));
        EXPECT_FALSE(check.accepted) << phone;
        EXPECT_EQ(check.messages, std::vector<std::string>{Cp850("TELÈFON DE CONTACTE INCORRECTE")})
            << phone;
    }
    // Letters first read as no telephone at all, as before.
    EXPECT_EQ(CheckSelection(Fields("S", good, "x93344556")).messages,
              std::vector<std::string>{Cp850("HEU D'INDICAR EL TELÈFON DE CONTACTE")});
    // Both at once: the messages in turn.
    EXPECT_EQ(CheckSelection(Fields("S", "A\tB C D", "93a")).messages,
              (std::vector<std::string>{"NOM DE CONTACTE INCORRECTE",
                                        Cp850("TELÈFON DE CONTACTE INCORRECTE")}));
    EXPECT_TRUE(CheckSelection(Fields("S", good, "933000000")).accepted);
    EXPECT_TRUE(CheckSelection(Fields("S", good, "93300    ")).accepted);
    // Only return files look at the presenter's values.
    EXPECT_TRUE(CheckSelection(Fields("R", "A\tB", "9x")).accepted);
}

TEST(Selection, AReversedOwnerRangeIsRefusedSilently) {
    SelectionFields fields = Fields("R", "", "");
    fields.firstOwner = "100 ";
    fields.lastOwner = "50  ";
    const SelectionCheck check = CheckSelection(fields);
    EXPECT_FALSE(check.accepted);
    EXPECT_TRUE(check.messages.empty());
}

}  // namespace
}  // namespace vela
