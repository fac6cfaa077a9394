// The program's forms: the shipped form description against the widths the
// application relies on, the starting values, the painting, and the
// form-exit check with its messages and the confirmation, on the headless
// console with the real field editor.
#include "app/program_forms.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/records/record_areas.hpp"
#include "app/selection.hpp"
#include "app/start_up.hpp"
#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/field_editor.hpp"
#include "ui/form_file.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using namespace program_forms;

constexpr std::int16_t kEnter = 0x0d;
constexpr std::int16_t kEsc = 0x1b;

// Keeps what the screen showed on each frame, to see messages that are
// gone by the time the call returns.
class RecordingConsole : public HeadlessConsole {
  public:
    void Present(const ScreenGrid& grid) override {
        HeadlessConsole::Present(grid);
        std::string frame;
        for (int row = 1; row <= grid.Rows(); ++row) frame += grid.RowText(row) + "\n";
        frames.push_back(frame);
    }
    std::vector<std::string> frames;
};

std::string ShippedForms() {
    return testing::ReadFile(std::string(VELA_SOURCE_DIR) + "/data/FORMS/KELD0190.KFM");
}

class ProgramFormsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.tmpDir = folder_.path();
        Session.language = "CAT";
        Session.menuName = "";
        Session.menuTitle = " RETENCIONS ";
        Session.workDate = PackDigits("20250110");
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        ResetKeyboard();
        auto console = std::make_unique<RecordingConsole>();
        console_ = console.get();
        InstallConsole(std::move(console));
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
        FormFileError error;
        ASSERT_TRUE(ReadFormDescription(
            ShippedForms(), [](const std::string& text) { return text; }, formTables, error))
            << "line " << error.line << ": " << error.reason;
        resumeForm = 0;
        RegisterProgramForms();
        SetInitialSelection(Session.workDate);
    }
    void TearDown() override {
        SetFormHooks({});
        ResetKeyboard();
        InstallConsole(nullptr);
    }

    void Press(std::int16_t code) {
        if (code > 0 && code < 256) {
            console_->PushCharacter(static_cast<std::uint8_t>(code));
        } else {
            console_->PushExtended(static_cast<std::uint8_t>((code >> 8) & 0xff));
        }
    }
    // A key the clerk presses after reading a message: a message flushes
    // what was typed ahead, so the key comes after a pause.
    void PressLater(std::int16_t code) {
        console_->PushPause();
        Press(code);
    }
    void Type(const std::string& text) { console_->PushText(text); }

    // The frames that showed text, in order, each counted once in a row.
    std::vector<std::string> Shown(const std::vector<std::string>& texts) const {
        std::vector<std::string> seen;
        for (const std::string& frame : console_->frames) {
            for (const std::string& text : texts) {
                if (frame.find(text) != std::string::npos && (seen.empty() || seen.back() != text))
                    seen.push_back(text);
            }
        }
        return seen;
    }

    testing::TempFolder folder_;
    RecordingConsole* console_ = nullptr;
};

TEST_F(ProgramFormsTest, TheFormDescriptionFitsTheApplication) {
    const struct {
        std::int16_t form;
        std::int16_t field;
        std::size_t length;
        std::int16_t dataType;
    } fields[] = {
        {kSelection, kOutputKindField, kOutputKindWidth, field_types::kSwitch},
        {kSelection, kClosingDateField, kClosingDateWidth, field_types::kDate},
        {kSelection, kFirstOwnerField, kOwnerCodeWidth, field_types::kCode},
        {kSelection, kLastOwnerField, kOwnerCodeWidth, field_types::kCode},
        {kPresenter, kContactNameField, kContactNameWidth, field_types::kText},
        {kPresenter, kContactPhoneField, kContactPhoneWidth, field_types::kText},
        {kConfirmation, kAnswerField, 1, field_types::kText},
    };
    for (const auto& f : fields) {
        const FormField& field = Field(f.form, f.field);
        EXPECT_EQ(static_cast<std::size_t>(field.length), f.length)
            << "form " << f.form << " field " << f.field;
        EXPECT_EQ(field.dataType, f.dataType) << "form " << f.form << " field " << f.field;
        EXPECT_EQ(field.flags & field_flags::kDisplayOnly, 0);
    }
    EXPECT_EQ(formTables.formCount, 4);
    EXPECT_EQ(Form(kSelection).fieldCount, 4);
    EXPECT_EQ(Form(kPresenter).fieldCount, 2);
    EXPECT_EQ(Form(kConfirmation).fieldCount, 1);
    EXPECT_NE(Form(kPresenter).windowTop, 0);  // the title goes into its frame

    // The output kinds the run knows, and nothing else.
    std::vector<std::string> codes;
    for (const FieldChoice& choice : ParseFieldChoices(Field(kSelection, 1).choices))
        codes.push_back(choice.code);
    EXPECT_EQ(codes, (std::vector<std::string>{"R", "C", "S"}));

    // F4 on the owner codes opens the owner list over the owners file.
    EXPECT_EQ(Field(kSelection, kFirstOwnerField).listNo, kOwnerList);
    EXPECT_EQ(Field(kSelection, kLastOwnerField).listNo, kOwnerList);
    EXPECT_EQ(List(kOwnerList).recordFile, layout::VPropiet::kFileNumber);
    // By name, from the beginning typed into the one field of form 4.
    EXPECT_EQ(List(kOwnerList).keyNo, 1);
    EXPECT_EQ(List(kOwnerList).filterForm, 4);
    EXPECT_EQ(Form(4).fieldCount, 1);
    EXPECT_EQ(Field(4, 1).length, 40);
}

TEST_F(ProgramFormsTest, StartingValuesAndThePresenterWithTheFieldsPadding) {
    EXPECT_EQ(Field(kSelection, kOutputKindField).value, "R");
    // A working date in January 2025 gives 31 December 2024.
    EXPECT_EQ(Field(kSelection, kClosingDateField).value, "311224    ");
    EXPECT_EQ(ParseDate(Field(kSelection, kClosingDateField).value), PackDigits("20241231"));
    EXPECT_EQ(Field(kSelection, kFirstOwnerField).value, "1   ");
    EXPECT_EQ(Field(kSelection, kLastOwnerField).value, "9999");

    PresenterIntoForm({"ANNA GARCIA LOPEZ", "93"});
    const PresenterData back = PresenterFromForm();
    EXPECT_EQ(back.contactName, FixedField("ANNA GARCIA LOPEZ", 40));
    EXPECT_EQ(back.contactPhone, "93       ");
}

TEST_F(ProgramFormsTest, PaintFormWritesTheTitles) {
    PaintForm(kSelection);
    // " RETENCIONS " is 12 long: column 41 - 6 = 35.
    EXPECT_EQ(Screen().RowText(1).substr(34, 12), " RETENCIONS ");
    // An odd length rounds the half to the even neighbour: 41 - 6.5 -> 34.
    Session.menuTitle = " RETENCIONS. ";
    PaintForm(kSelection);
    EXPECT_EQ(Screen().RowText(1).substr(33, 13), " RETENCIONS. ");
    const FormField& kind = Field(kSelection, kOutputKindField);
    EXPECT_EQ(Screen().RowText(kind.row).substr(static_cast<std::size_t>(kind.column - 1),
                                                kind.label.size() + 7),
              kind.label + "Llistat");

    const FormEntry& presenter = Form(kPresenter);
    OpenWindow(presenter.windowTop, presenter.windowLeft, presenter.windowBottom,
               presenter.windowRight);
    PaintForm(kPresenter);
    EXPECT_EQ(Screen().RowText(presenter.windowTop).substr(presenter.windowLeft, 19),
              " DADES PRESENTADOR ");
    CloseWindow();
}

TEST_F(ProgramFormsTest, ThePresenterChecksShowTwoMessagesInTurn) {
    SetFieldValue(kSelection, kOutputKindField, "S");
    ShowField(kSelection, kOutputKindField);  // links the presenter form
    PresenterIntoForm({"GARCIA LOPEZ", ""});
    PressLater(kEnter);
    PressLater(kEnter);
    std::int16_t key = kEnter;
    EXPECT_EQ(CheckFormExit(kSelection, key), -1);
    EXPECT_EQ(console_->PendingScript(), 0u);
    EXPECT_EQ(console_->Beeps(), 2);
    const std::string phone = Cp850("HEU D'INDICAR EL TELÈFON DE CONTACTE");
    EXPECT_EQ(Shown({"NOM DE CONTACTE INCORRECTE", phone, "Confirmeu"}),
              (std::vector<std::string>{"NOM DE CONTACTE INCORRECTE", phone}));
    EXPECT_EQ(windowDepth, 0);

    // Listing and certificates do not look at the presenter.
    console_->frames.clear();
    SetFieldValue(kSelection, kOutputKindField, "C");
    ShowField(kSelection, kOutputKindField);
    Type("S");
    Press(kEnter);
    EXPECT_EQ(CheckFormExit(kSelection, key), 0);
    EXPECT_EQ(Selection.outputKind, "C");
}

// Vela.ini gets the presenter's values at the end of the program only once
// a selection for return files has been accepted with them: values refused
// by the check, or never confirmed, are not kept.
TEST_F(ProgramFormsTest, OnlyAcceptedPresenterValuesAreKept) {
    const PresenterData loaded{FixedField("PUIG SOLA MARTA", kContactNameWidth),
                               FixedField("938861234", kContactPhoneWidth)};
    KeepPresenter(loaded);
    SetFieldValue(kSelection, kOutputKindField, "S");
    ShowField(kSelection, kOutputKindField);
    std::int16_t key = kEnter;

    PresenterIntoForm({"GARCIA\tLOPEZ ANNA", "933000000"});  // refused: a tab
    PressLater(kEnter);
    EXPECT_EQ(CheckFormExit(kSelection, key), -1);
    EXPECT_EQ(KeptPresenter().contactName, loaded.contactName);

    PresenterIntoForm({"GARCIA LOPEZ ANNA", "933000000"});  // good, but not confirmed
    Type("N");
    Press(kEnter);
    EXPECT_EQ(CheckFormExit(kSelection, key), -1);
    EXPECT_EQ(KeptPresenter().contactName, loaded.contactName);

    Type("S");
    Press(kEnter);
    EXPECT_EQ(CheckFormExit(kSelection, key), 0);
    EXPECT_EQ(KeptPresenter().contactName, FixedField("GARCIA LOPEZ ANNA", kContactNameWidth));
    EXPECT_EQ(KeptPresenter().contactPhone, "933000000");
    EXPECT_EQ(console_->PendingScript(), 0u);
}

TEST_F(ProgramFormsTest, TheConfirmationDecides) {
    const struct {
        const char* typed;
        std::int16_t leavingKey;
        std::int16_t status;
    } cases[] = {
        {"S", kEnter, 0}, {"N", kEnter, -1}, {"s", kEnter, -1},  // only "S" confirms
        {"S", kEsc, -1},                                         // Esc drops what was typed
        {"", kEsc, -1},
    };
    for (const auto& c : cases) {
        SetFieldValue(kConfirmation, kAnswerField, "S");  // blanked before asking
        Type(c.typed);
        Press(c.leavingKey);
        std::int16_t key = kEnter;
        EXPECT_EQ(CheckFormExit(kSelection, key), c.status) << c.typed;
        EXPECT_EQ(key, c.leavingKey) << c.typed;
        EXPECT_EQ(console_->PendingScript(), 0u);
    }
    // Reversed owners: refused without a message or a confirmation.
    console_->frames.clear();
    SetFieldValue(kSelection, kFirstOwnerField, "100");
    SetFieldValue(kSelection, kLastOwnerField, "50");
    std::int16_t key = kEnter;
    EXPECT_EQ(CheckFormExit(kSelection, key), -1);
    EXPECT_EQ(console_->Beeps(), 0);
    EXPECT_TRUE(Shown({"Confirmeu"}).empty());
    // Esc and the other forms are never checked.
    key = kEsc;
    EXPECT_EQ(CheckFormExit(kSelection, key), 0);
    key = kEnter;
    EXPECT_EQ(CheckFormExit(kPresenter, key), 0);
}

TEST_F(ProgramFormsTest, AClerksSelectionThroughTheForms) {
    // Return files, closing date, owners 2 to 40, the presenter form (which
    // follows because of "S"), then the confirmation.
    Type("S");
    Press(kEnter);
    Press(0x19);  // Ctrl+Y clears the date
    Type("31.12.2024");
    Press(kEnter);
    Type("2");
    Press(kEnter);
    Type("40  ");
    Press(kEnter);
    Type("ANNA GARCIA LOPEZ");
    Press(kEnter);
    Type("933000000");
    Press(kEnter);
    Type("S");
    Press(kEnter);
    std::int16_t key = 0;
    EditForm(kSelection, 0, 0, key);
    EXPECT_EQ(console_->PendingScript(), 0u);
    EXPECT_EQ(key, kEnter);
    EXPECT_EQ(Selection.outputKind, "S");
    EXPECT_EQ(Selection.closingDate, PackDigits("20241231"));
    EXPECT_EQ(Selection.firstOwner, PackDigits("0002"));
    EXPECT_EQ(Selection.lastOwner, PackDigits("0040"));
    EXPECT_EQ(Selection.contactName, FixedField("ANNA GARCIA LOPEZ", 40));
    EXPECT_EQ(Selection.contactPhone, "933000000");
    EXPECT_EQ(windowDepth, 0);
}

TEST_F(ProgramFormsTest, TheOwnerListHooks) {
    RecordArea& owner = recordAreas.owner;
    std::fill(owner.begin(), owner.end(), ' ');
    const std::string code = PackDigits("0042");
    std::copy(code.begin(), code.end(), owner.begin());
    const std::string name = "FINQUES DEL MAR SL";
    std::copy(name.begin(), name.end(), owner.begin() + 2);
    EXPECT_EQ(ListRowText(kOwnerList), "0042  " + FixedField(name, 40));
    EXPECT_EQ(ListRowText(2), "");

    std::string prefix = "x";
    std::string start = "y";
    EXPECT_EQ(ListStartKey(kOwnerList, prefix, start), 0);
    EXPECT_EQ(prefix, "");
    EXPECT_EQ(start, "");

    EXPECT_EQ(ApplyListChoice(kOwnerList, kSelection, kLastOwnerField), 0);
    EXPECT_EQ(Field(kSelection, kLastOwnerField).value, "0042");
    EXPECT_EQ(ApplyListChoice(kOwnerList, 0, 0), 0);
}

}  // namespace
}  // namespace vela
