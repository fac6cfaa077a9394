#include "tools/print_program/spool_document.hpp"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "datenum/text_utils.hpp"

namespace vela {
namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// A number in sequential-output form: sign position, digits, a blank.
bool ReadNumber(const std::string& text, long& value) {
    const std::string t = TrimBlanks(text);
    if (t.empty() || t.size() > 12) return false;
    char* end = nullptr;
    value = std::strtol(t.c_str(), &end, 10);
    return end != nullptr && *end == '\0';
}

// Columns and lines beyond any paper are held to it, so a damaged spool
// file cannot make the reader allocate without bound.
constexpr long kMaxColumn = 1000;
constexpr std::size_t kMaxLine = 10000;
constexpr std::size_t kMaxLineLength = 4096;
constexpr std::size_t kUnreadKept = 10;

}  // namespace

bool SpoolReader::ReadLine(std::string& line) {
    if (!std::getline(in_, line)) return false;
    if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool SpoolReader::ReadHeader() {
    std::string line;
    if (!ReadLine(line) || !StartsWith(line, "DEVICE")) return false;
    device_ = line.substr(6);
    return true;
}

void SpoolReader::StartPage() {
    building_ = SpoolPage();
    pageOpen_ = true;
    line_ = 0;
    column_ = 1;
}

void SpoolReader::FinishPage() {
    for (std::size_t i = 0; i < building_.lines.size(); ++i) {
        std::string& text = building_.lines[i];
        std::string& marks = building_.bold[i];
        while (!text.empty() && text.back() == ' ') text.pop_back();
        marks.resize(text.size(), ' ');
    }
    pending_.push_back({Event::Page, std::string(), std::move(building_)});
    building_ = SpoolPage();
    pageOpen_ = false;
}

void SpoolReader::Justify(const std::string& code) {
    fillTo_ = 0;
    fill_ = ' ';
    if (code.empty() || code[0] != 'N') return;
    const auto open = code.find('\\');
    long count = 0;
    ReadNumber(code.substr(1, open == std::string::npos ? std::string::npos : open - 1), count);
    fillTo_ = std::clamp(count, 0L, kMaxColumn);
    if (open != std::string::npos && open + 1 < code.size() && code[open + 1] != '\\') {
        fill_ = code[open + 1];
    }
}

void SpoolReader::Control(const std::string& code) {
    if (code == "bi") {
        bold_ = true;
    } else if (code == "ib" || code == "@e") {
        bold_ = false;
    } else if (code == "b") {
        bold_ = !bold_;
    }
}

void SpoolReader::Put(long column, const std::string& text, bool bold) {
    if (building_.lines.size() <= line_) {
        building_.lines.resize(line_ + 1);
        building_.bold.resize(line_ + 1);
    }
    std::string& line = building_.lines[line_];
    std::string& marks = building_.bold[line_];
    const std::size_t at = static_cast<std::size_t>(std::max(column, 1L) - 1);
    if (line.size() < at + text.size()) line.resize(at + text.size(), ' ');
    if (marks.size() < line.size()) marks.resize(line.size(), ' ');
    line.replace(at, text.size(), text);
    marks.replace(at, text.size(), std::string(text.size(), bold ? 'b' : ' '));
}

void SpoolReader::Text(long column, const std::string& text, long advance) {
    const long start = std::min(column > 0 ? column : column_, kMaxColumn);
    Put(start, text, bold_);
    const long end = start + static_cast<long>(text.size());
    if (fillTo_ > 0 && end <= fillTo_) {
        Put(end, std::string(static_cast<std::size_t>(fillTo_ - end + 1), fill_), false);
    }
    fillTo_ = 0;  // a fill belongs to the text right after its directive
    column_ = end;
    if (advance > 0) {
        line_ = std::min(line_ + static_cast<std::size_t>(std::min(advance, 100000L)), kMaxLine);
        column_ = 1;
    }
}

SpoolReader::Event SpoolReader::Next() {
    std::string line;
    while (pending_.empty() && !ended_) {
        if (!ReadLine(line)) {
            if (pageOpen_) FinishPage();
            pending_.push_back({Event::End, std::string(), SpoolPage()});
            ended_ = true;
            break;
        }
        const auto startDocument = [&](const std::string& send) {
            pending_.push_back({Event::Document, send, SpoolPage()});
            inDocument_ = true;
        };
        if (StartsWith(line, "DEVICE")) {
            device_ = line.substr(6);
        } else if (StartsWith(line, "SEND")) {
            if (pageOpen_) FinishPage();
            bold_ = false;
            fillTo_ = 0;
            startDocument(line.substr(4));
        } else if (StartsWith(line, "JUS")) {
            Justify(line.substr(3));
        } else if (StartsWith(line, "*")) {
            Control(line.substr(1));
        } else if (StartsWith(line, "PAGE")) {
            if (!inDocument_) startDocument(std::string());
            if (pageOpen_) FinishPage();
            StartPage();
        } else {
            const auto first = line.find(',');
            const auto last = line.rfind(',');
            long column = 0, advance = 0;
            if (first == std::string::npos || first == last ||
                !ReadNumber(line.substr(0, first), column) ||
                !ReadNumber(line.substr(last + 1), advance)) {
                if (!line.empty()) {
                    ++unreadCount_;
                    if (firstUnread_.size() < kUnreadKept) firstUnread_.push_back(line);
                }
                continue;
            }
            if (!inDocument_) startDocument(std::string());
            if (!pageOpen_) StartPage();
            Text(column, line.substr(first + 1, last - first - 1), advance);
        }
    }
    if (pending_.empty()) return Event::End;
    Pending next = std::move(pending_.front());
    pending_.pop_front();
    if (next.event == Event::Document) sendTo_ = std::move(next.sendTo);
    if (next.event == Event::Page) page_ = std::move(next.page);
    return next.event;
}

SpoolContents ReadSpool(const std::string& spoolText) {
    std::istringstream in(spoolText);
    SpoolReader reader(in);
    SpoolContents contents;
    contents.isSpool = reader.ReadHeader();
    if (!contents.isSpool) return contents;
    for (auto event = reader.Next(); event != SpoolReader::Event::End; event = reader.Next()) {
        if (event == SpoolReader::Event::Document) {
            contents.documents.emplace_back().sendTo = reader.sendTo();
        } else {
            contents.documents.back().pages.push_back(reader.page());
        }
    }
    contents.device = reader.device();
    contents.unreadLines = reader.unreadLines();
    return contents;
}

}  // namespace vela
