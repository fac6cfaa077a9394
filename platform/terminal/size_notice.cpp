#include "platform/terminal/size_notice.hpp"

#include <algorithm>
#include <sstream>

#include "platform/code_page_850.hpp"

namespace vela::terminal {

std::vector<std::string> SizeNoticeLines(const std::string& cp850, int columns) {
    const auto width = static_cast<std::size_t>(std::max(columns, 1));
    std::vector<std::string> lines;
    std::string line;
    std::istringstream words(cp850);
    for (std::string word; words >> word;) {
        if (!line.empty() && line.size() + 1 + word.size() <= width) {
            line += ' ' + word;
            continue;
        }
        if (!line.empty()) lines.push_back(line);
        while (word.size() > width) {
            lines.push_back(word.substr(0, width));
            word.erase(0, width);
        }
        line = word;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string SizeNoticeBytes(const std::string& cp850, int rows, int columns) {
    std::vector<std::string> lines = SizeNoticeLines(cp850, columns);
    for (std::string& line :
         SizeNoticeLines(std::to_string(columns) + " x " + std::to_string(rows), columns)) {
        lines.push_back(std::move(line));
    }
    if (rows < 1) rows = 1;
    if (static_cast<int>(lines.size()) > rows) lines.resize(static_cast<std::size_t>(rows));
    std::string out = "\x1b[?25l\x1b[0m\x1b[2J";
    const int top = (rows - static_cast<int>(lines.size())) / 2 + 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int column = (columns - static_cast<int>(lines[i].size())) / 2 + 1;
        out += "\x1b[" + std::to_string(top + static_cast<int>(i)) + ";" +
               std::to_string(std::max(column, 1)) + "H";
        out += Utf8FromCp850(lines[i]);
    }
    return out;
}

}  // namespace vela::terminal
