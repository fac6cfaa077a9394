#include "ui/help_file.hpp"

#include "platform/input_file.hpp"

namespace vela {
namespace {

constexpr char kHighlight = 0x1e;
constexpr char kUnderline = 0x1f;
constexpr char kReverse = 0x10;

}  // namespace

HelpFile::HelpFile(const std::string& hostPath, int recordLength)
    : recordLength_(recordLength > 0 ? recordLength : 1) {
    // Only a regular file of a sane size is a help page: a folder or a
    // device of its name has no lines, and nothing waits on it.
    const InputFile check = CheckInputFile(hostPath);
    if (check != InputFile::read) {
        if (check != InputFile::missing) problem_ = InputFileProblem(hostPath, check);
        return;
    }
    file_ = std::fopen(hostPath.c_str(), "rbe");
    if (file_ == nullptr || std::fseek(file_, 0, SEEK_END) != 0) return;
    const long size = std::ftell(file_);
    if (size > 0) lines_ = static_cast<int>((size + recordLength_ / 2) / recordLength_);
}

HelpFile::~HelpFile() {
    if (file_ != nullptr) std::fclose(file_);
}

std::string HelpFile::Line(int number) const {
    if (file_ == nullptr || number < 1 || number > lines_) return {};
    std::string record(static_cast<std::size_t>(recordLength_), '\0');
    if (std::fseek(file_, static_cast<long>(number - 1) * recordLength_, SEEK_SET) != 0) return {};
    record.resize(std::fread(record.data(), 1, record.size(), file_));
    return record;
}

std::vector<HelpRun> StyleHelpLine(std::string_view record) {
    if (record.find_first_of(std::string_view("\x1e\x1f\x10", 3)) == std::string_view::npos) {
        return {{"n", std::string(record.substr(0, kHelpLineWidth))}};
    }
    bool highlight = false, underline = false, reverse = false;
    std::vector<HelpRun> runs = {{"n", ""}};
    const auto switchTo = [&](const char* style) {
        if (runs.back().text.empty()) {
            runs.back().style = style;
        } else {
            runs.push_back({style, ""});
        }
    };
    int shown = 0;
    for (char c : record) {
        if (c == kHighlight) {
            highlight = !highlight;
            if (!highlight) {
                switchTo("n");
            } else if (!underline) {
                switchTo("h");
            }
        } else if (c == kUnderline) {
            underline = !underline;
            switchTo(underline ? "u" : "n");
        } else if (c == kReverse) {
            reverse = !reverse;
            switchTo(reverse ? "r" : "n");
        } else if (shown < kHelpLineWidth) {
            runs.back().text += c;
            ++shown;
        }
    }
    if (runs.size() > 1 && runs.back().text.empty()) runs.pop_back();
    return runs;
}

}  // namespace vela
