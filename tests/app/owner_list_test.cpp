#include "app/owner_list.hpp"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/records/record_areas.hpp"
#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "platform/headless_console.hpp"
#include "records/record_file.hpp"
#include "tests/app/office_fixture.hpp"
#include "tests/ui/recording_console.hpp"
#include "ui/browse_list.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using testing::OfficeFixture;

// The record file layer with every read counted.
class CountingRecords : public BrowseRecordSource {
  public:
    int reads = 0;
    std::int16_t Find(std::int16_t file, std::int16_t keyNo, const std::string& key) override {
        ++reads;
        std::int16_t status = 0;
        FindRecord(file, keyNo, key, 1, status);
        return status;
    }
    std::int16_t Step(std::int16_t file) override {
        ++reads;
        std::int16_t status = 0;
        StepRecord(file, 1, status);
        return status;
    }
    std::string CurrentKey(std::int16_t file) override { return vela::CurrentKey(file); }
    std::string ComparableKey(const std::string& key, std::int16_t file) override {
        return vela::ComparableKey(key, file);
    }
    std::int32_t Position(std::int16_t file, std::int32_t position) override {
        return RecordPosition(file, position);
    }
    void SetLockMode(std::int16_t file, const std::string& spec) override {
        std::int16_t status = 0;
        vela::SetLockMode(file, spec, status);
    }
};

constexpr std::int16_t kFilterForm = 4;

class OwnerListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 1; i <= 1000; ++i) {
            char code[8], name[32];
            std::snprintf(code, sizeof code, "%04d", 1000 + i);
            std::snprintf(name, sizeof name, "OWNER %05d*ANNA", i);
            office_.Owner(code, name, "ES12345678Z");
        }
        office_.Owner("0100", "GARCIA PUJOL*PERE", "ES1");
        office_.Owner("0101", Cp850("GARCÍA LÓPEZ*JUAN"), "ES2");
        office_.Owner("0102", Cp850("GARCÉS*ROSA"), "ES3");
        office_.Owner("0103", "GARRIGA*LLUIS", "ES4");
        office_.Open();
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        ResetKeyboard();
        console_ = &testing::InstallRecording();
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        SetBrowseRecordSourceForTesting(&records_);
        SetBrowseFormServices({[](std::int16_t list, BrowseListSpec& spec) {
                                   if (list != kOwnerList) return false;
                                   spec = {6, 1, 5, 20, 16, 70, kFilterForm, "PROPIETARIS", 0};
                                   return true;
                               },
                               [](std::int16_t) { return std::int16_t{0x0d}; }});
        InstallOwnerList({[this](std::int16_t form, std::int16_t field) {
                              return form == kFilterForm && field == 1 ? typed_ : std::string();
                          },
                          [this](std::int16_t form, const std::string& text, std::int16_t field,
                                 std::int16_t key) {
                              stored_ = std::to_string(form) + "/" + std::to_string(field) + "/" +
                                        std::to_string(key) + ":" + text;
                              return std::int16_t{0};
                          }});
    }
    void TearDown() override {
        SetBrowseRecordSourceForTesting(nullptr);
        SetBrowseFormServices({});
        SetBrowseListHooks({});
        ResetKeyboard();
        InstallConsole(nullptr);
    }
    void Press(std::uint8_t scanCode, std::uint8_t character = 0) {
        for (int i = 0; i < 40; ++i) console_->PushPause();
        if (character != 0)
            console_->PushCharacter(character);
        else
            console_->PushExtended(scanCode);
    }
    // A row of the list as shown before the last key was read.
    std::string Row(int row) const {
        std::string text =
            console_->frames.back().rows[static_cast<std::size_t>(row - 1)].substr(20, 49);
        return text.erase(text.find_last_not_of(' ') + 1);
    }

    OfficeFixture office_;
    testing::RecordingConsole* console_ = nullptr;
    CountingRecords records_;
    std::string typed_;
    std::string stored_;
};

TEST_F(OwnerListTest, TheBeginningOfANameInAnyCaseAndWithOrWithoutAccentsFindsItsOwners) {
    for (const std::string& typed :
         {std::string("garcia"), Cp850("GARCÍA"), std::string("Garcia ")}) {
        SCOPED_TRACE(typed);
        typed_ = typed;
        stored_.clear();
        records_.reads = 0;
        Press(0x50);
        // The rows as the list shows them, read while it waits for Enter.
        Press(0, 0x0d);
        std::int16_t result = 99;
        BrowseList(kOwnerList, result);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(stored_, "");  // the form engine applies the choice, not the list
        EXPECT_EQ(OwnerListChoice(kOwnerList, 1, 3), 0);
        EXPECT_EQ(stored_, "1/3/0:0100");
        // Two owners share the prefix; the third read ends the list.
        EXPECT_EQ(records_.reads, 3);
    }
}

TEST_F(OwnerListTest, RowsShowCodeAndNameInNameOrder) {
    typed_ = "GAR";
    Press(0, 0x1b);
    std::int16_t result = 99;
    BrowseList(kOwnerList, result);
    EXPECT_EQ(result, -1);
    std::string rows;
    for (int row = 6; row <= 10; ++row) rows += Row(row) + "|";
    EXPECT_EQ(rows, Cp850("0102  GARCÉS*ROSA|0101  GARCÍA LÓPEZ*JUAN|0100  GARCIA PUJOL*PERE|") +
                        "0103  GARRIGA*LLUIS||");
}

TEST_F(OwnerListTest, AListOverAThousandOwnersReadsOnlyThePageShown) {
    typed_ = "";
    Press(0x51);  // PgDn: the next ten
    Press(0x49);  // PgUp: from the cache
    Press(0, 0x0d);
    std::int16_t result = 99;
    BrowseList(kOwnerList, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(records_.reads, 20);  // 10 rows on the first page, 10 on the second
    EXPECT_EQ(OwnerListRowText(kOwnerList), Cp850("0102  GARCÉS*ROSA") + std::string(29, ' '));
}

TEST_F(OwnerListTest, OtherListsAndNoFieldDoNothing) {
    std::string prefix = "x", start = "y";
    EXPECT_EQ(OwnerListStartKey(2, prefix, start), 0);
    EXPECT_EQ(prefix, "");
    EXPECT_EQ(OwnerListRowText(2), "");
    EXPECT_EQ(OwnerListChoice(1, 0, 0), 0);
    EXPECT_EQ(OwnerListChoice(2, 1, 1), 0);
    EXPECT_EQ(stored_, "");
}

}  // namespace
}  // namespace vela
