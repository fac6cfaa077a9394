#include "tools/print_program/spool_document.hpp"

#include <algorithm>
#include <cstdlib>

#include "datenum/text_utils.hpp"

namespace vela {
namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// A number in sequential-output form: sign position, digits, a blank.
bool ReadNumber(const std::string& text, long& value) {
    const std::string t = TrimBlanks(text);
    if (t.empty()) return false;
    char* end = nullptr;
    value = std::strtol(t.c_str(), &end, 10);
    return end != nullptr && *end == '\0';
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

constexpr long kMaxColumn = 1000;
constexpr std::size_t kMaxLine = 10000;

// Lays text out on the lines of the document being read.
class PageBuilder {
  public:
    void Start() { *this = PageBuilder(); }
    void NewPage(SpoolDocument& document) {
        document.pages.emplace_back();
        line_ = 0;
        column_ = 1;
    }
    void Justify(const std::string& code) {
        fillTo_ = 0;
        fill_ = ' ';
        if (code.empty() || code[0] != 'N') return;
        const auto open = code.find('\\');
        long count = 0;
        ReadNumber(code.substr(1, open == std::string::npos ? std::string::npos : open - 1), count);
        fillTo_ = std::max(0L, count);
        if (open != std::string::npos && open + 1 < code.size() && code[open + 1] != '\\') {
            fill_ = code[open + 1];
        }
    }
    void Text(SpoolDocument& document, long column, const std::string& text, long advance) {
        if (document.pages.empty()) NewPage(document);
        auto& lines = document.pages.back().lines;
        if (lines.size() <= line_) lines.resize(line_ + 1);
        std::string& line = lines[line_];
        // Columns and advances beyond any paper are held to it, so a damaged
        // spool file cannot make the renderer allocate without bound.
        const long start = std::min(column > 0 ? column : column_, kMaxColumn);
        Put(line, start, text);
        const long end = start + static_cast<long>(text.size());
        if (fillTo_ > 0 && end <= fillTo_) {
            Put(line, end, std::string(static_cast<std::size_t>(fillTo_ - end + 1), fill_));
        }
        fillTo_ = 0;  // a fill belongs to the text right after its directive
        column_ = end;
        if (advance > 0) {
            line_ = std::min(line_ + static_cast<std::size_t>(advance), kMaxLine);
            column_ = 1;
        }
    }

  private:
    static void Put(std::string& line, long column, const std::string& text) {
        const std::size_t at = static_cast<std::size_t>(std::max(column, 1L) - 1);
        if (line.size() < at + text.size()) line.resize(at + text.size(), ' ');
        line.replace(at, text.size(), text);
    }

    std::size_t line_ = 0;
    long column_ = 1;
    long fillTo_ = 0;
    char fill_ = ' ';
};

}  // namespace

SpoolContents ReadSpool(const std::string& spoolText) {
    SpoolContents contents;
    PageBuilder builder;
    const auto document = [&]() -> SpoolDocument& {
        if (contents.documents.empty()) contents.documents.emplace_back();
        return contents.documents.back();
    };
    for (const std::string& line : SplitLines(spoolText)) {
        if (StartsWith(line, "DEVICE")) {
            contents.device = line.substr(6);
        } else if (StartsWith(line, "SEND")) {
            contents.documents.emplace_back().sendTo = line.substr(4);
            builder.Start();
        } else if (StartsWith(line, "JUS")) {
            builder.Justify(line.substr(3));
        } else if (StartsWith(line, "*")) {
            document().controls.push_back(line.substr(1));
        } else if (StartsWith(line, "PAGE")) {
            builder.NewPage(document());
        } else {
            const auto first = line.find(',');
            const auto last = line.rfind(',');
            long column = 0, advance = 0;
            if (first == std::string::npos || first == last ||
                !ReadNumber(line.substr(0, first), column) ||
                !ReadNumber(line.substr(last + 1), advance)) {
                if (!line.empty()) contents.unreadLines.push_back(line);
                continue;
            }
            builder.Text(document(), column, line.substr(first + 1, last - first - 1), advance);
        }
    }
    for (SpoolDocument& doc : contents.documents) {
        for (SpoolPage& page : doc.pages) {
            for (std::string& text : page.lines) {
                while (!text.empty() && text.back() == ' ') text.pop_back();
            }
        }
    }
    return contents;
}

}  // namespace vela
