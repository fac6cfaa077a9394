#include "tools/demo/unload_file.hpp"

namespace vela {

std::string UnloadRecord(std::string_view record) {
    std::string out = std::to_string(record.size());
    out += ',';
    out.append(record);
    out += "\r\n";
    return out;
}

std::optional<std::vector<std::string>> ParseUnload(std::string_view text) {
    std::vector<std::string> records;
    std::size_t at = 0;
    while (at < text.size() && text[at] != '\x1A') {
        std::size_t length = 0;
        std::size_t digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 6) {
            length = 10 * length + static_cast<std::size_t>(text[at++] - '0');
            ++digits;
        }
        if (digits == 0 || at >= text.size() || text[at] != ',') return std::nullopt;
        ++at;
        if (text.size() - at < length + 2 || text.substr(at + length, 2) != "\r\n") {
            return std::nullopt;
        }
        records.emplace_back(text.substr(at, length));
        at += length + 2;
    }
    return records;
}

}  // namespace vela
