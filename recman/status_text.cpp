#include "recman/status_text.hpp"

#include <array>
#include <utility>

namespace vela {

namespace {

constexpr std::array<std::pair<int16_t, const char*>, 32> kStatusWords = {{
    {0, "success"},
    {1, "invalid operation"},
    {2, "I/O error"},
    {3, "file not open"},
    {4, "key value not found"},
    {5, "duplicate key value"},
    {6, "invalid key number"},
    {7, "different key number"},
    {8, "invalid positioning"},
    {9, "end of file"},
    {10, "key value not modifiable"},
    {12, "file not found"},
    {18, "disk full"},
    {21, "key buffer too short"},
    {22, "data buffer length"},
    {24, "page size error"},
    {27, "invalid key position"},
    {28, "invalid record length"},
    {29, "invalid key length"},
    {30, "not a record file"},
    {37, "transaction already open"},
    {39, "no transaction open"},
    {43, "invalid record address"},
    {46, "access denied"},
    {48, "invalid alternate collating sequence"},
    {51, "invalid owner name"},
    {59, "file already exists"},
    {84, "record in use"},
    {85, "file in use"},
    {94, "file on a network file system, refused unless VELA_NETWORK_FILES=accept-risk"},
    {1002, "file number already open"},
    {1003, "no free file slot"},
}};

}  // namespace

std::string StatusText(int16_t status) {
    std::string text = "status " + std::to_string(status);
    for (const auto& [code, words] : kStatusWords) {
        if (code == status) return text + " (" + words + ")";
    }
    return text;
}

}  // namespace vela
