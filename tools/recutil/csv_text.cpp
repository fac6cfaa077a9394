#include "tools/recutil/csv_text.hpp"

namespace vela::recutil {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::string CsvValue(std::string_view value) {
    const bool quoted = value.find_first_of(",\"\r\n") != std::string_view::npos ||
                        (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!quoted) return std::string(value);
    std::string out = "\"";
    for (const char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string CsvLine(const std::vector<std::string>& values) {
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) line += ',';
        line += CsvValue(values[i]);
    }
    return line + "\r\n";
}

CsvReader::CsvReader(std::string_view text) : text_(text) {
    if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark) at_ = kByteOrderMark.size();
}

bool CsvReader::Next(CsvRow& row, std::string& error) {
    error.clear();
    row.values.clear();
    // Empty lines between rows are left out.
    while (at_ < text_.size() && (text_[at_] == '\n' || text_[at_] == '\r')) {
        if (text_[at_] == '\n') ++line_;
        ++at_;
    }
    if (at_ >= text_.size()) return false;
    row.line = line_;
    auto fail = [&](const std::string& why, std::size_t line) {
        error = "line " + std::to_string(line) + ", column " +
                std::to_string(row.values.size() + 1) + ": " + why;
        at_ = text_.size();
        return false;
    };
    for (;;) {
        std::string value;
        if (at_ < text_.size() && text_[at_] == '"') {
            const std::size_t opened = line_;
            ++at_;
            for (;;) {
                if (at_ >= text_.size()) return fail("a quoted value is not closed", opened);
                const char c = text_[at_++];
                if (c == '"') {
                    if (at_ < text_.size() && text_[at_] == '"') {
                        value += '"';
                        ++at_;
                        continue;
                    }
                    break;
                }
                if (c == '\n') ++line_;
                value += c;
            }
            if (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\r' &&
                text_[at_] != '\n') {
                return fail("text after the closing quote of a value", line_);
            }
        } else {
            while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\r' &&
                   text_[at_] != '\n') {
                if (text_[at_] == '"')
                    return fail("a quote inside a value that is not quoted", line_);
                value += text_[at_++];
            }
        }
        row.values.push_back(std::move(value));
        if (at_ >= text_.size()) return true;
        if (text_[at_] == ',') {
            ++at_;
            continue;
        }
        // The end of the row: CR LF, LF, or a lone CR.
        if (text_[at_] == '\r') ++at_;
        if (at_ < text_.size() && text_[at_] == '\n') ++at_;
        ++line_;
        return true;
    }
}

}  // namespace vela::recutil
