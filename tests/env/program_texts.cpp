#include "tests/env/program_texts.hpp"

#include <cctype>

#include "datenum/numeric_value.hpp"

namespace vela::testing {
namespace {

bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

void SkipSpace(std::string_view s, std::size_t& pos) {
    while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
}

// Reads the string literal starting at s[pos] (an opening quote), and any
// literals that directly follow it; false when there is none.
bool ReadLiterals(std::string_view s, std::size_t& pos, std::string& text) {
    bool any = false;
    while (pos < s.size() && s[pos] == '"') {
        any = true;
        ++pos;
        while (pos < s.size() && s[pos] != '"') {
            if (s[pos] == '\\' && pos + 1 < s.size()) {
                const char e = s[++pos];
                text += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
            } else {
                text += s[pos];
            }
            ++pos;
        }
        ++pos;
        SkipSpace(s, pos);
    }
    return any;
}

}  // namespace

TranslateCalls ScanTranslateCalls(std::string_view source) {
    TranslateCalls calls;
    const std::string_view name = "Translate";
    for (std::size_t at = source.find(name); at != std::string_view::npos;
         at = source.find(name, at + 1)) {
        if (at > 0 && IsIdentifierChar(source[at - 1])) continue;
        std::size_t pos = at + name.size();
        if (pos < source.size() && IsIdentifierChar(source[pos])) continue;
        SkipSpace(source, pos);
        if (pos >= source.size() || source[pos] != '(') continue;
        ++pos;
        SkipSpace(source, pos);
        // A declaration or definition names a parameter type here.
        const std::string_view rest = source.substr(pos, 40);
        if (rest.starts_with("const ") || rest.starts_with(")")) continue;
        if (rest.starts_with("Cp850")) {
            pos += 5;
            SkipSpace(source, pos);
            if (pos < source.size() && source[pos] == '(') ++pos;
            SkipSpace(source, pos);
        }
        std::string text;
        if (ReadLiterals(source, pos, text)) {
            calls.literals.push_back(text);
        } else {
            ++calls.otherArguments;
        }
    }
    return calls;
}

std::vector<std::string> ReadTextList(std::string_view contents) {
    std::vector<std::string> texts;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find('\n', start);
        if (end == std::string_view::npos) end = contents.size();
        std::string_view line = contents.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
            texts.emplace_back(line.substr(1, line.size() - 2));
        } else {
            texts.emplace_back("<malformed line: " + std::string(line) + ">");
        }
    }
    return texts;
}

namespace {

// Sequential input as the form loader reads it: items separated by commas
// or line ends, a quoted item running to the next quote; comment lines (an
// apostrophe first) may stand before a record.
class ItemReader {
  public:
    explicit ItemReader(std::string_view contents) : s_(contents) {}

    void SkipComments() {
        while (pos_ < s_.size() && s_[pos_] == '\'') {
            const std::size_t end = s_.find('\n', pos_);
            pos_ = end == std::string_view::npos ? s_.size() : end + 1;
        }
    }
    bool AtEnd() const { return pos_ >= s_.size(); }

    std::string Text() {
        while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
        std::string item;
        const auto atEnd = [&] { return s_[pos_] == ',' || s_[pos_] == '\r' || s_[pos_] == '\n'; };
        if (pos_ < s_.size() && s_[pos_] == '"') {
            const std::size_t close = s_.find('"', pos_ + 1);
            const std::size_t stop = close == std::string_view::npos ? s_.size() : close;
            item = s_.substr(pos_ + 1, stop - pos_ - 1);
            pos_ = stop + 1;
            while (pos_ < s_.size() && !atEnd()) ++pos_;
        } else {
            const std::size_t begin = pos_;
            while (pos_ < s_.size() && !atEnd()) ++pos_;
            item = s_.substr(begin, pos_ - begin);
        }
        if (pos_ < s_.size()) {
            const char terminator = s_[pos_++];
            if (terminator == '\r' && pos_ < s_.size() && s_[pos_] == '\n') ++pos_;
        }
        return item;
    }
    long Number() { return static_cast<long>(NumericValue(Text())); }

  private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<std::string> FormDescriptionTexts(std::string_view contents) {
    std::vector<std::string> texts;
    const auto keep = [&](const std::string& text) {
        if (!text.empty()) texts.push_back(text);
    };
    ItemReader reader(contents);
    reader.SkipComments();
    const long formCount = reader.Number();
    reader.Number();  // maxFields
    for (long form = 1; form <= formCount && !reader.AtEnd(); ++form) {
        reader.SkipComments();
        reader.Text();  // keyList
        const long fieldCount = reader.Number();
        for (int i = 0; i < 5; ++i) reader.Number();  // linkedForm, window
        for (long field = 1; field <= fieldCount && !reader.AtEnd(); ++field) {
            reader.Number();                              // row
            reader.Number();                              // column
            keep(reader.Text());                          // label
            for (int i = 0; i < 6; ++i) reader.Number();  // length .. listNo
            keep(reader.Text());                          // choices
        }
    }
    reader.SkipComments();
    const long listCount = reader.Number();
    for (long list = 1; list <= listCount && !reader.AtEnd(); ++list) {
        reader.SkipComments();
        for (int i = 0; i < 7; ++i) reader.Number();  // recordFile .. filterForm
        keep(reader.Text());                          // title
        reader.Number();                              // nextList
    }
    return texts;
}

}  // namespace vela::testing
