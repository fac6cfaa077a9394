#include "datenum/text_utils.hpp"

#include <algorithm>
#include <array>

#include "platform/code_page_850.hpp"

namespace vela {
namespace {

std::string textStack;
bool foldMode = false;

// The base capital of a Latin-1 letter U+00C0..U+00FF ('-' for the two
// signs of that range, which are not letters).
constexpr char kLatin1Base[] = "AAAAAAACEEEEIIIIDNOOOOO-OUUUUYTSAAAAAAACEEEEIIIIDNOOOOO-OUUUUYTY";

// Both folding tables, built from what each code page 850 character is.
struct FoldTables {
    std::array<std::uint8_t, 256> upper{};
    std::array<std::uint8_t, 256> search{};
    FoldTables() {
        for (int code = 0; code < 256; ++code) {
            upper[code] = search[code] = static_cast<std::uint8_t>(code);
            if (code < 64 || code > 237) continue;
            const char32_t ch = Cp850ToUnicode(static_cast<std::uint8_t>(code));

            // Upper-casing: a-z, and the Latin-1 small letters whose capital
            // the code page has (the accent is kept). Thorn stays small, as
            // the family's programs have always kept it.
            char32_t capital = ch;
            if (ch >= U'a' && ch <= U'z') capital = ch - 32;
            if (ch >= 0xE0 && ch <= 0xFD && ch != 0xF7) capital = ch - 0x20;
            if (const auto back = UnicodeToCp850(capital); back && capital != ch)
                upper[code] = *back;

            // Search keys: every letter becomes its unaccented capital, every
            // other character a blank.
            char base = ' ';
            if (ch >= U'A' && ch <= U'Z') base = static_cast<char>(ch);
            if (ch >= U'a' && ch <= U'z') base = static_cast<char>(ch - 32);
            if (ch >= 0xC0 && ch <= 0xFF && kLatin1Base[ch - 0xC0] != '-')
                base = kLatin1Base[ch - 0xC0];
            if (ch == 0xAA) base = 'A';    // feminine ordinal
            if (ch == 0xBA) base = 'O';    // masculine ordinal
            if (ch == 0x20AC) base = 'E';  // euro sign
            search[code] = static_cast<std::uint8_t>(base);
        }
    }
};

const FoldTables& Tables() {
    static const FoldTables tables;
    return tables;
}

}  // namespace

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string TrimRight(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::int16_t IsAllChar(const std::string& text, int code) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) != code) return 0;
    }
    return -1;
}

std::int16_t CentreOffset(const std::string& text, int width) {
    return static_cast<std::int16_t>((width - static_cast<int>(text.size())) / 2);
}

std::string NaturalName(const std::string& text) {
    const auto star = text.find('*');
    if (star == std::string::npos || star == 0) return TrimBlanks(text);
    const std::string given = TrimBlanks(text.substr(star + 1));
    const std::string surnames = TrimBlanks(text.substr(0, star));
    const std::string trimmed = TrimBlanks(text);
    const bool elided = !trimmed.empty() && trimmed.back() == '\'';
    return given + (elided ? "" : " ") + surnames;
}

void PushText(const std::string& text) {
    const auto n = static_cast<std::uint16_t>(text.size());
    textStack += text;
    textStack += static_cast<char>(n & 0xFF);
    textStack += static_cast<char>(n >> 8);
}

std::string PopText() {
    if (textStack.size() < 2) {
        textStack.clear();
        return {};
    }
    const std::size_t end = textStack.size() - 2;
    const std::size_t n = static_cast<unsigned char>(textStack[end]) |
                          (static_cast<unsigned char>(textStack[end + 1]) << 8);
    const std::size_t start = n <= end ? end - n : 0;
    std::string text = textStack.substr(start, end - start);
    textStack.resize(start);
    return text;
}

void SetFoldMode(bool searchKeys) { foldMode = searchKeys; }
bool FoldMode() { return foldMode; }

std::uint8_t FoldCode(std::uint8_t code, bool searchKeys) {
    return searchKeys ? Tables().search[code] : Tables().upper[code];
}

std::string FoldText(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) c = static_cast<char>(FoldCode(static_cast<std::uint8_t>(c), foldMode));
    return folded;
}

void WrapText(std::string& text, int indent, int width, const std::string& mode) {
    const std::string s = text;
    const long n = static_cast<long>(s.size());
    // Positions are 1-based, as the rules count them.
    const auto at = [&](long pos) { return static_cast<unsigned char>(s[pos - 1]); };
    const auto isControl = [&](long pos) { return pos >= 1 && pos <= n && at(pos) < 32; };
    const auto isBlank = [&](long pos) { return pos >= 1 && pos <= n && at(pos) == ' '; };
    const auto isVisibleWord = [&](long pos) {
        return pos <= n && !isBlank(pos) && !isControl(pos);
    };
    const char align = mode.empty() ? ' ' : static_cast<char>(FoldCode(mode[0], false));

    std::string result;
    long p = 1;
    bool firstLine = true;
    while (p <= n) {
        const long i = firstLine ? std::max(indent, 0) : std::max(-indent, 0);
        firstLine = false;
        long w = width - i;

        // Take w visible characters; each control character widens the take.
        long l = 0;
        while (l < w && p + l <= n) {
            if (isControl(p + l)) ++w;
            ++l;
        }
        if (l > 0 && isVisibleWord(p + l - 1)) {
            while (isControl(p + l)) {
                ++w;
                ++l;
            }
        }
        // A break inside a word moves back to the blank before the word.
        if (isVisibleWord(p + l)) {
            while (l > 0 && isVisibleWord(p + l)) {
                --l;
                if (isControl(p + l)) --w;
            }
        }
        if (p + l > n || isControl(p + l)) {
            while (l > 0 && isBlank(p + l - 1)) --l;
        }
        if (l < 1) l = std::min(std::max(w, 1L), n - p + 1);  // a word wider than the line is cut

        std::string line = std::string(i, ' ') + s.substr(p - 1, l);
        w += i;
        const long length = static_cast<long>(line.size());
        switch (align) {
            case 'E':
            case 'L':
            case 'I':
                if (length < w) line.append(w - length, ' ');
                break;
            case 'N':
                if (length < w) line.append(w - length, '-');
                break;
            case 'D':
            case 'R':
                if (length < w) line.insert(0, w - length, ' ');
                break;
            case 'C':
                if (length < w) {
                    line.insert(0, (w - length) / 2, ' ');
                    line.append((w - length + 1) / 2, ' ');
                }
                break;
            case 'A':
            case 'B': {
                // Justified by doubling blanks left to right, round and round;
                // the last line (nothing after it but its end) stays as it is.
                const bool lastLine = p + l >= n;
                const std::size_t afterIndent = static_cast<std::size_t>(i);
                if (lastLine || line.find(' ', afterIndent) == std::string::npos) break;
                std::size_t from = afterIndent;
                while (static_cast<long>(line.size()) < w) {
                    std::size_t blank = line.find(' ', from);
                    if (blank == std::string::npos) blank = line.find(' ', afterIndent);
                    line.insert(blank, 1, ' ');
                    from = blank;
                    while (from < line.size() && line[from] == ' ') ++from;
                }
                break;
            }
            default:
                break;
        }
        result += line;
        p += l;
        while (isBlank(p)) ++p;
    }
    text = result;
}

}  // namespace vela
