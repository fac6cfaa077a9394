// The owner list of the selection form end to end on the headless console:
// the shipped form description, the program's hooks, the real field editor
// and form engine, the browse list and the record file layer over an owners
// file built by the test, with every record read counted.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/program_forms.hpp"
#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "records/record_file.hpp"
#include "tests/app/office_fixture.hpp"
#include "tests/support/temp_folder.hpp"
#include "tests/ui/recording_console.hpp"
#include "ui/browse_list.hpp"
#include "ui/form_file.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using namespace program_forms;
using testing::OfficeFixture;

// The record file layer with every read counted.
class CountingRecords : public RecordFileSource {
  public:
    int reads = 0;
    std::int16_t Find(std::int16_t file, std::int16_t keyNo, const std::string& key) override {
        ++reads;
        return RecordFileSource::Find(file, keyNo, key);
    }
    std::int16_t Step(std::int16_t file) override {
        ++reads;
        return RecordFileSource::Step(file);
    }
};

constexpr std::uint8_t kDownScan = 0x50, kF4Scan = 0x3e, kPageDownScan = 0x51, kPageUpScan = 0x49;

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
        Session.menuName = "";
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        ResetKeyboard();
        console_ = &testing::InstallRecording();
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
        FormFileError error;
        ASSERT_TRUE(ReadFormDescription(
            testing::ReadFile(std::string(VELA_SOURCE_DIR) + "/data/FORMS/KELD0190.KFM"),
            [](const std::string& text) { return text; }, formTables, error))
            << error.reason;
        resumeForm = 0;
        RegisterProgramForms();
        SetInitialSelection(PackDigits("20250110"));
        InstallBrowseLists();
        SetBrowseRecordSourceForTesting(&records_);
    }
    void TearDown() override {
        SetBrowseRecordSourceForTesting(nullptr);
        SetFormHooks({});
        SetListBrowser({});
        ResetKeyboard();
        InstallConsole(nullptr);
    }

    // F4 on the selection form's first-owner field, the name typed into
    // the list's filter form, then the keys for the list; Esc leaves the
    // selection form afterwards.
    void PickOwner(const std::string& typed, const std::vector<std::uint8_t>& listKeys) {
        console_->PushExtended(kDownScan);
        console_->PushExtended(kDownScan);
        console_->PushExtended(kF4Scan);
        console_->PushText(typed);
        console_->PushCharacter(0x0d);
        for (std::uint8_t scan : listKeys) {
            for (int i = 0; i < 30; ++i) console_->PushPause();
            if (scan == 0x0d)
                console_->PushCharacter(0x0d);
            else
                console_->PushExtended(scan);
        }
        std::int16_t key = 0;
        EditForm(kSelection, 0, 0, key);
    }
    // The list's rows (window rows 6-19, columns 31-77) in the frame shown
    // before the key read last inside the list.
    std::vector<std::string> ListRows(const testing::RecordingConsole::Frame& frame) const {
        std::vector<std::string> rows;
        for (int row = 6; row <= 19; ++row) {
            std::string text = frame.rows[static_cast<std::size_t>(row - 1)].substr(30, 47);
            text.erase(text.find_last_not_of(' ') + 1);
            if (!text.empty()) rows.push_back(text);
        }
        return rows;
    }
    const testing::RecordingConsole::Frame* FrameWith(const std::string& text) const {
        for (auto frame = console_->frames.rbegin(); frame != console_->frames.rend(); ++frame) {
            for (const std::string& row : frame->rows) {
                if (row.find(text) != std::string::npos) return &*frame;
            }
        }
        return nullptr;
    }

    OfficeFixture office_;
    testing::RecordingConsole* console_ = nullptr;
    CountingRecords records_;
};

TEST_F(OwnerListTest, ANameTypedInAnyCaseWithOrWithoutAccentsPutsTheChosenOwnersCodeInTheField) {
    for (const std::string& typed : {std::string("garcia"), Cp850("GARCÍA"), std::string("Garc")}) {
        SCOPED_TRACE(typed);
        records_.reads = 0;
        console_->frames.clear();
        SetFieldValue(kSelection, kFirstOwnerField, "1");
        SetFieldValue(4, 1, "");
        PickOwner(typed, {kDownScan, 0x0d});
        // The second row: GARCÉS comes first when only "GARC" is typed.
        EXPECT_EQ(Field(kSelection, kFirstOwnerField).value, typed == "Garc" ? "0101" : "0100");
        const auto* frame = FrameWith(" PROPIETARIS ");
        ASSERT_NE(frame, nullptr);
        const std::vector<std::string> rows = ListRows(*frame);
        if (typed == "Garc") {
            EXPECT_EQ(rows, (std::vector<std::string>{Cp850("0102  GARCÉS*ROSA"),
                                                      Cp850("0101  GARCÍA LÓPEZ*JUAN"),
                                                      "0100  GARCIA PUJOL*PERE"}));
            EXPECT_EQ(records_.reads, 4);  // the fourth read ends the list
        } else {
            EXPECT_EQ(rows, (std::vector<std::string>{Cp850("0101  GARCÍA LÓPEZ*JUAN"),
                                                      "0100  GARCIA PUJOL*PERE"}));
            EXPECT_EQ(records_.reads, 3);
        }
        EXPECT_EQ(windowDepth, 0);
    }
}

TEST_F(OwnerListTest, AListOverAThousandOwnersReadsOnlyThePagesShown) {
    PickOwner("", {kPageDownScan, kPageUpScan, kDownScan, 0x0d});
    // 14 rows on the first page, 14 on the second, none on the way back.
    EXPECT_EQ(records_.reads, 28);
    EXPECT_EQ(Field(kSelection, kFirstOwnerField).value, "0101");
}

TEST_F(OwnerListTest, EscInTheFilterFormOrTheListKeepsTheField) {
    SetFieldValue(kSelection, kFirstOwnerField, "7");
    console_->PushExtended(kDownScan);
    console_->PushExtended(kDownScan);
    console_->PushExtended(kF4Scan);
    console_->PushCharacter(0x1b);  // leaves the filter form: no list
    std::int16_t key = 0;
    EditForm(kSelection, 0, 0, key);
    EXPECT_EQ(records_.reads, 0);
    EXPECT_EQ(Field(kSelection, kFirstOwnerField).value, "7   ");
    PickOwner("GAR", {0x1b});
    EXPECT_EQ(Field(kSelection, kFirstOwnerField).value, "7   ");
}

}  // namespace
}  // namespace vela
