// A generated corpus for the form description reader, run with the rest of
// the suite (the libFuzzer target in fuzz/ goes further where clang is at
// hand): thousands of damaged copies of the program's form description,
// each read or refused with a line inside the file, and every copy that is
// accepted run through the form engine on the headless console, where the
// empty script answers Esc: nothing may crash or hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "env/session.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/form_file.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

// Damage of the kinds a hand edit or a bad copy does: a byte changed to one
// the format cares about, a byte dropped or doubled, a cut.
std::string Damage(std::string text, std::mt19937& random) {
    static const std::string kBytes = "0123456789,\"'\r\n -9x|";
    const int edits = 1 + static_cast<int>(random() % 3);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const std::size_t at = random() % text.size();
        switch (random() % 4) {
            case 0:
                text[at] = kBytes[random() % kBytes.size()];
                break;
            case 1:
                text.erase(at, 1);
                break;
            case 2:
                text.insert(at, 1, text[at]);
                break;
            default:
                text.resize(at);
                break;
        }
    }
    return text;
}

TEST(FormFileCorpus, DamagedCopiesAreReadOrRefusedAndTheAcceptedOnesRun) {
    testing::TempFolder folder;
    Session.tmpDir = folder.path();
    Session.menuName = "";
    Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
    ResetKeyboard();
    HeadlessConsole& console = InstallHeadless(25, 80);
    SetFormHooks({});

    const std::string original =
        testing::ReadFile(std::string(VELA_SOURCE_DIR) + "/data/FORMS/KELD0190.KFM");
    const auto identity = [](const std::string& text) { return text; };
    std::mt19937 random(190);
    int accepted = 0;
    for (int copy = 0; copy < 3000; ++copy) {
        const std::string text = Damage(original, random);
        FormFileError error;
        if (!ReadFormDescription(text, identity, formTables, error)) {
            // A lone CR ends a line as well.
            const auto lines = std::count(text.begin(), text.end(), '\n') +
                               std::count(text.begin(), text.end(), '\r') + 1;
            ASSERT_GE(error.line, 1) << text;
            ASSERT_LE(error.line, lines) << error.reason << "\n" << text;
            continue;
        }
        ++accepted;
        resumeForm = 0;
        for (std::int16_t form = 1; form <= formTables.formCount; ++form) {
            std::int16_t key = 0;
            EditForm(form, 1, 1, key);
            ASSERT_EQ(windowDepth, 0) << text;
        }
    }
    EXPECT_GT(accepted, 100);  // the engine did get damaged forms to run
    EXPECT_GT(console.ExhaustedReads(), 0);
    ResetKeyboard();
    InstallConsole(nullptr);
}

}  // namespace
}  // namespace vela
