#include "ui/windows.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <optional>

#include "datenum/text_utils.hpp"
#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "platform/console.hpp"
#include "platform/host_path.hpp"

namespace vela {

std::int16_t winTop = 0;
std::int16_t winLeft = 0;
std::int16_t winBottom = 0;
std::int16_t winRight = 0;
std::int16_t windowDepth = 0;
std::int16_t textStyle = 0;
std::string styleStack;

namespace {

constexpr long kHeaderSize = 4;
constexpr long kEmptyPosition = 5;  // 1-based position of the first entry
constexpr long kFixedEntrySize = 20;
constexpr long kLengthSize = 5;
// Every coordinate is stored in two decimal digits.
constexpr int kLargestCoordinate = 99;

struct FrameCharacters {
    std::uint8_t topLeft, topRight, bottomLeft, bottomRight, horizontal, vertical;
};

FrameCharacters FrameStyle(std::int16_t style) {
    static const std::array<FrameCharacters, 3> kStyles = [] {
        const auto code = [](const char* utf8) {
            return static_cast<std::uint8_t>(Cp850(utf8)[0]);
        };
        return std::array<FrameCharacters, 3>{{
            {' ', ' ', ' ', ' ', ' ', ' '},
            {code("┌"), code("┐"), code("└"), code("┘"), code("─"), code("│")},
            {code("╔"), code("╗"), code("╚"), code("╝"), code("═"), code("║")},
        }};
    }();
    return kStyles[(style >= 1 && style <= 2) ? style : 0];
}

long CellCount(int top, int left, int bottom, int right) {
    return static_cast<long>(std::max(0, bottom - top + 1)) * std::max(0, right - left + 1);
}

void AppendDigits(std::string& out, long value, int width) {
    std::string digits = std::to_string(std::clamp(value, 0L, 99999L));
    if (static_cast<int>(digits.size()) > width) digits = digits.substr(digits.size() - width);
    out.append(width - digits.size(), '0');
    out += digits;
}

// The digits at text[pos, pos + width), or nothing if any is not a digit.
std::optional<long> ReadDigits(const std::string& text, std::size_t pos, int width) {
    if (pos + width > text.size()) return std::nullopt;
    long value = 0;
    for (int i = 0; i < width; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The stack file, open for one operation.
class StackFile {
  public:
    explicit StackFile(bool create)
        : fd_(::open(WindowStackPath().c_str(), O_RDWR | (create ? O_CREAT : 0), 0666)) {}
    ~StackFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    StackFile(const StackFile&) = delete;
    StackFile& operator=(const StackFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    long Size() const {
        struct stat info;
        return ::fstat(fd_, &info) == 0 ? static_cast<long>(info.st_size) : 0;
    }

    // The next-entry position stored at offset 0.
    long NextPosition() const {
        unsigned char bytes[kHeaderSize];
        if (::pread(fd_, bytes, kHeaderSize, 0) != kHeaderSize) return 0;
        return static_cast<long>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                 static_cast<unsigned long>(bytes[3]) << 24);
    }

    bool SetNextPosition(long position) {
        const unsigned char bytes[kHeaderSize] = {
            static_cast<unsigned char>(position), static_cast<unsigned char>(position >> 8),
            static_cast<unsigned char>(position >> 16), static_cast<unsigned char>(position >> 24)};
        return ::pwrite(fd_, bytes, kHeaderSize, 0) == kHeaderSize;
    }

    // Reads or writes at a 1-based file position.
    bool Write(long position, const std::string& data) {
        return ::pwrite(fd_, data.data(), data.size(), position - 1) ==
               static_cast<ssize_t>(data.size());
    }
    std::optional<std::string> Read(long position, long length) const {
        std::string data(length, '\0');
        if (::pread(fd_, data.data(), length, position - 1) != length) return std::nullopt;
        return data;
    }

  private:
    int fd_;
};

void RemoveStackFile() { ::unlink(WindowStackPath().c_str()); }

// One entry read back from the stack file.
struct Entry {
    long start = 0;
    int cursorRow = 0, cursorColumn = 0;
    std::array<int, 4> previous{};  // top, left, bottom, right
    std::array<int, 4> rectangle{};
    std::string cells;
};

// The newest entry, or nothing when the file does not hold a sound one (a
// program that crashed mid-write, a file cut short or overwritten).
std::optional<Entry> NewestEntry(const StackFile& file) {
    const long next = file.NextPosition();
    const long size = file.Size();
    if (next < kEmptyPosition + kFixedEntrySize + kLengthSize || next - 1 > size)
        return std::nullopt;
    const auto lengthText = file.Read(next - kLengthSize, kLengthSize);
    if (!lengthText) return std::nullopt;
    const auto length = ReadDigits(*lengthText, 0, kLengthSize);
    if (!length || *length < kFixedEntrySize + kLengthSize || next - *length < kEmptyPosition) {
        return std::nullopt;
    }
    const auto text = file.Read(next - *length, *length);
    if (!text) return std::nullopt;

    Entry entry;
    entry.start = next - *length;
    std::array<long, 10> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const auto value = ReadDigits(*text, 2 * i, 2);
        if (!value) return std::nullopt;
        numbers[i] = *value;
    }
    entry.cursorRow = static_cast<int>(numbers[0]);
    entry.cursorColumn = static_cast<int>(numbers[1]);
    for (int i = 0; i < 4; ++i) {
        entry.previous[i] = static_cast<int>(numbers[2 + i]);
        entry.rectangle[i] = static_cast<int>(numbers[6 + i]);
    }
    const auto& r = entry.rectangle;
    const long cells = CellCount(r[0], r[1], r[2], r[3]);
    if (kFixedEntrySize + 2 * cells + kLengthSize != *length) return std::nullopt;
    entry.cells = text->substr(kFixedEntrySize, 2 * cells);
    return entry;
}

bool OnScreen(int row, int column) {
    return row >= 1 && row <= std::min<int>(ScreenRows(), kLargestCoordinate) && column >= 1 &&
           column <= std::min<int>(ScreenColumns(), kLargestCoordinate);
}

}  // namespace

std::string WindowStackPath() { return ResolveHostPath(Session.tmpDir + "WinPush.tmp"); }

std::int16_t ScreenRows() { return static_cast<std::int16_t>(Screen().Rows()); }
std::int16_t ScreenColumns() { return static_cast<std::int16_t>(Screen().Columns()); }

std::int16_t InteriorTop() { return windowDepth > 0 ? static_cast<std::int16_t>(winTop + 1) : 1; }
std::int16_t InteriorLeft() { return windowDepth > 0 ? static_cast<std::int16_t>(winLeft + 1) : 1; }
std::int16_t InteriorRight() {
    return windowDepth > 0 ? static_cast<std::int16_t>(winRight - 1) : ScreenColumns();
}

void LocateInWindow(std::int16_t row, std::int16_t column) {
    if (windowDepth > 0) {
        Screen().Locate(winTop + row, winLeft + column);
    } else {
        Screen().Locate(row, column);
    }
}

void OpenWindow(std::int16_t top, std::int16_t left, std::int16_t bottom, std::int16_t right) {
    if (!OnScreen(top, left) || !OnScreen(bottom, right)) return;
    StackFile file(true);
    if (!file.IsOpen()) return;

    long position = kEmptyPosition;
    if (file.Size() > 3) {
        position = file.NextPosition();
        // A position outside the file is a damaged header: the entries it
        // should lead to cannot be found, so the stack starts again.
        if (position < kEmptyPosition || position - 1 > file.Size()) position = kEmptyPosition;
    }

    const ScreenGrid& screen = Screen();
    std::string entry;
    AppendDigits(entry, std::min(screen.CursorRow(), kLargestCoordinate), 2);
    AppendDigits(entry, std::min(screen.CursorColumn(), kLargestCoordinate), 2);
    for (long value : {winTop, winLeft, winBottom, winRight, top, left, bottom, right}) {
        AppendDigits(entry, value, 2);
    }
    for (int row = top; row <= bottom; ++row) {
        for (int column = left; column <= right; ++column) {
            const Cell cell = screen.At(row, column);
            entry.push_back(static_cast<char>(cell.code));
            entry.push_back(static_cast<char>(cell.attribute));
        }
    }
    AppendDigits(entry, static_cast<long>(entry.size()) + kLengthSize, kLengthSize);

    // Nothing changes unless the entry is safely on disk: a window whose
    // screen could not be saved is never opened.
    if (!file.Write(position, entry)) return;
    if (!file.SetNextPosition(position + static_cast<long>(entry.size()))) return;
    winTop = top;
    winLeft = left;
    winBottom = bottom;
    winRight = right;
    ++windowDepth;
}

void DrawFrame(std::int16_t style) {
    if (windowDepth <= 0) return;
    const FrameCharacters frame = FrameStyle(style);
    ScreenGrid& screen = Screen();
    const std::uint8_t attribute = screen.Attribute();
    const int inner = std::max(0, winRight - winLeft - 1);
    const auto edge = [&](int row, std::uint8_t leftCode, std::uint8_t fill,
                          std::uint8_t rightCode) {
        screen.Set(row, winLeft, Cell{leftCode, attribute});
        for (int i = 1; i <= inner; ++i) screen.Set(row, winLeft + i, Cell{fill, attribute});
        screen.Set(row, winRight, Cell{rightCode, attribute});
    };
    edge(winTop, frame.topLeft, frame.horizontal, frame.topRight);
    for (int row = winTop + 1; row < winBottom; ++row) {
        edge(row, frame.vertical, ' ', frame.vertical);
    }
    edge(winBottom, frame.bottomLeft, frame.horizontal, frame.bottomRight);
}

void CloseWindow() {
    StackFile file(false);
    if (!file.IsOpen()) return;
    if (file.Size() <= 3) {
        RemoveStackFile();
        return;
    }
    if (windowDepth > 0) --windowDepth;
    const auto entry = NewestEntry(file);
    if (!entry) {
        // Nothing sound to restore: the stack is dropped and the screen is
        // left as it is, as for a close with no entry.
        RemoveStackFile();
        return;
    }

    ScreenGrid& screen = Screen();
    winTop = static_cast<std::int16_t>(entry->previous[0]);
    winLeft = static_cast<std::int16_t>(entry->previous[1]);
    winBottom = static_cast<std::int16_t>(entry->previous[2]);
    winRight = static_cast<std::int16_t>(entry->previous[3]);
    const auto& r = entry->rectangle;
    std::size_t at = 0;
    for (int row = r[0]; row <= r[2]; ++row) {
        for (int column = r[1]; column <= r[3]; ++column) {
            const Cell cell{static_cast<std::uint8_t>(entry->cells[at]),
                            static_cast<std::uint8_t>(entry->cells[at + 1])};
            at += 2;
            screen.Set(row, column, cell);
            screen.SetAttribute(cell.attribute);
        }
    }
    screen.Locate(entry->cursorRow, entry->cursorColumn);
    file.SetNextPosition(entry->start);
    if (entry->start == kEmptyPosition) RemoveStackFile();
}

void SetTextStyle(std::string& letters) {
    for (char& c : letters) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (IsAllChar(letters, ' ') != 0) return;
    const auto has = [&](char letter) { return letters.find(letter) != std::string::npos; };
    if (has('+')) styleStack.push_back(static_cast<char>(textStyle));
    std::int16_t style = 0;
    if (has('-')) {
        if (!styleStack.empty()) {
            style = static_cast<std::uint8_t>(styleStack.back());
            styleStack.pop_back();
        }
    } else if (has('U')) {
        style = 4;
    } else {
        style = static_cast<std::int16_t>((has('R') ? 2 : 0) + (has('N') ? 1 : 0));
    }
    textStyle = std::clamp<std::int16_t>(style, 0, 4);
    const auto& pair = Session.colourPairs[textStyle];
    Screen().SetColours(pair[0], pair[1]);
}

void MessageWindow(std::int16_t centreRow, const std::string& text) {
    std::string save = "+rh";
    SetTextStyle(save);
    const auto restore = [] {
        std::string back = "-";
        SetTextStyle(back);
    };

    constexpr int kWidth = 76;
    std::string laidOut = text;
    WrapText(laidOut, 0, kWidth, "i");
    const int lines = static_cast<int>(laidOut.size()) / kWidth;
    int top = std::max(centreRow - (lines + 1) / 2 - 2, 1);
    int bottom = top + lines + 1;
    if (bottom > ScreenRows()) {
        bottom = ScreenRows();
        top = bottom - lines - 1;
        if (top < 1) {
            restore();
            return;
        }
    }

    const auto line = [&](int i) {
        std::string one = laidOut.substr(static_cast<std::size_t>(i) * kWidth, kWidth);
        one.erase(one.find_last_not_of(' ') + 1);
        return one;
    };
    int longest = 0;
    for (int i = 0; i < lines; ++i) longest = std::max(longest, static_cast<int>(line(i).size()));
    const int left = 41 - (longest + 1) / 2 - 2;
    const int right = longest / 2 + 42;

    const std::int16_t depthBefore = windowDepth;
    OpenWindow(static_cast<std::int16_t>(top), static_cast<std::int16_t>(left),
               static_cast<std::int16_t>(bottom), static_cast<std::int16_t>(right));
    if (windowDepth == depthBefore) {
        // The window could not be opened (screen too narrow, stack file not
        // writable): drawing now would scribble over the window beneath.
        restore();
        return;
    }
    DrawFrame(kFrameSingle);
    for (int i = 0; i < lines; ++i) {
        LocateInWindow(static_cast<std::int16_t>(i + 1), 2);
        Screen().Print(line(i));
    }
    restore();
    // Messages are often shown while the program works or waits (a locked
    // file, a run in progress) without reading a key: show it now.
    PresentScreen();
}

}  // namespace vela
