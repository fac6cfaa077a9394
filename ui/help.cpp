#include "ui/help.hpp"

#include <sys/stat.h>
#include <algorithm>
#include <array>

#include "env/session.hpp"
#include "platform/console.hpp"
#include "platform/host_path.hpp"
#include "platform/process.hpp"
#include "ui/help_file.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

// The menu utility's own help, offered by F1 inside any other help.
constexpr const char* kMenuTopic = "KOBAMENU";

// The languages that may have pages of their own; Catalan pages are the
// ones in "AJUDA\" itself.
constexpr std::array<const char*, 3> kTranslatedLanguages = {"SPA", "GLG", "OCI"};

bool IsFile(const std::string& path) {
    struct stat info;
    return ::stat(ResolveHostPath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void SetStyle(const char* letters) {
    std::string style = letters;
    SetTextStyle(style);
}

// A key straight from the console: the character's code or the scan code
// x 256, with no modifier mapping, no hot keys and no pending keys.
std::int16_t ReadConsoleKey() {
    for (;;) {
        PresentScreen();
        ConsoleEvent event;
        if (!Console().NextEvent(event, -1)) continue;
        if (event.type != ConsoleEvent::Type::Key || !event.keyDown) continue;
        const int code = event.character != 0 ? event.character : event.scanCode << 8;
        if (code != 0) return static_cast<std::int16_t>(code);
    }
}

// The help window's state: v lines shown, L lines in the file, and n the
// number of the line that would come next below the window.
struct HelpView {
    const HelpFile& file;
    int v;
    int lines;
    int next;
};

void ShowLine(const HelpView& view, int windowRow, int number) {
    LocateInWindow(static_cast<std::int16_t>(windowRow), 2);
    SetStyle("n");
    for (const HelpRun& run : StyleHelpLine(view.file.Line(number))) {
        SetStyle(run.style.c_str());
        Screen().Print(run.text);
    }
    SetStyle("n");
}

// Scrolls the window's interior.
void ScrollInterior(int count) {
    ScrollRegion(winTop, winLeft, static_cast<std::int16_t>(winBottom - 2),
                 static_cast<std::int16_t>(winRight - 2), static_cast<std::int16_t>(count));
}

// A new page: the interior blanked, then v lines from first.
void ShowPage(HelpView& view, int first) {
    ScrollInterior(view.v);
    for (int row = 1; row <= view.v; ++row) {
        if (first + row - 1 <= view.lines) ShowLine(view, row, first + row - 1);
    }
    view.next = first + view.v;
}

bool MoreBelow(const HelpView& view) { return view.next <= view.lines; }
bool MoreAbove(const HelpView& view) { return view.next - view.v > 1; }

void LineDown(HelpView& view) {
    ScrollInterior(1);
    ShowLine(view, view.v, view.next);
    ++view.next;
}
void LineUp(HelpView& view) {
    ScrollInterior(-1);
    ShowLine(view, 1, view.next - view.v - 1);
    --view.next;
}
void PageDown(HelpView& view) { ShowPage(view, std::min(view.next, view.lines - view.v + 1)); }
void PageUp(HelpView& view) { ShowPage(view, std::max(view.next - 2 * view.v + 1, 1)); }
void FirstPage(HelpView& view) { ShowPage(view, 1); }
void LastPage(HelpView& view) { ShowPage(view, view.lines - view.v + 1); }

struct HelpKey {
    std::int16_t key;
    bool (*allowed)(const HelpView&);
    void (*move)(HelpView&);
};

constexpr std::array<HelpKey, 6> kHelpKeys = {{
    {keys::kDown, MoreBelow, LineDown},
    {keys::kUp, MoreAbove, LineUp},
    {keys::kPageDown, MoreBelow, PageDown},
    {keys::kPageUp, MoreAbove, PageUp},
    {keys::kHome, MoreAbove, FirstPage},
    {keys::kEnd, MoreBelow, LastPage},
}};

constexpr int kHelpPageWidth = 80;

void ShowHelpWindow(const std::string& topic) {
    const int top = 4;
    const int bottom = ScreenRows() - 3;
    // Help pages are written a line of 80 bytes, the width of the console
    // they were made for; a wider terminal must not read them in longer
    // records, which would run the lines into each other.
    const HelpFile file(ResolveHostPath(HelpPagePath(topic, ".HLP")), kHelpPageWidth);

    SetStyle("+h");
    OpenWindow(top, 1, static_cast<std::int16_t>(bottom), ScreenColumns());
    DrawFrame(kFrameDouble);
    SetStyle("n");

    HelpView view{file, bottom - 5, file.Lines(), 1};
    for (int row = 1; row <= view.v; ++row) {
        if (row <= view.lines) ShowLine(view, row, row);
    }
    if (view.lines == 0 && !file.problem().empty()) {
        LocateInWindow(1, 2);
        Screen().Print(file.problem().substr(0, static_cast<std::size_t>(ScreenColumns() - 4)));
    }
    view.next = view.v + 1;

    for (;;) {
        const std::int16_t key = ReadConsoleKey();
        if (key == keys::kEsc) break;
        if (key == keys::kF1 && topic != kMenuTopic) {
            ShowHelp(kMenuTopic);
            continue;
        }
        for (const HelpKey& entry : kHelpKeys) {
            if (entry.key == key && entry.allowed(view)) entry.move(view);
        }
    }

    CloseWindow();
    SetStyle("-");
}

}  // namespace

std::string HelpPagePath(const std::string& topic, const std::string& extension) {
    const std::string folder = Session.rootDir + "AJUDA\\";
    for (const char* language : kTranslatedLanguages) {
        if (Session.language != language) continue;
        const std::string translated = folder + language + "\\" + topic + extension;
        if (IsFile(translated)) return translated;
    }
    return folder + topic + extension;
}

void ScrollRegion(std::int16_t top, std::int16_t left, std::int16_t bottom, std::int16_t right,
                  std::int16_t count) {
    Screen().Scroll(top + 1, left + 1, bottom + 1, right + 1, count,
                    Cell{' ', Screen().Attribute()});
}

void ShowHelp(const std::string& topic) {
    if (Session.runMode == "WIN") {
        // The launcher's result is not looked at: a page that does not open
        // is the launcher's to report.
        RunProgram({ResolveHostPath(Session.exeDir + "KSTART"),
                    ResolveHostPath(HelpPagePath(topic, ".HTM"))});
        return;
    }
    ShowHelpWindow(topic);
}

}  // namespace vela
