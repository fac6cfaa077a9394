#include "app/return_text.hpp"

#include <algorithm>

namespace vela {
namespace {

// Codes 128 to 237 in the return files: letters lose their accents, every
// other character is a blank.
constexpr char kReturnFolding[] =
    "CUEAAAACEEEIIIAAEAAOOOUUYOUO O  AIOUNN               AAA              AA        DDEEE III"
    "     I OSOOOO   UUUYY";
static_assert(sizeof kReturnFolding - 1 == 110);

char ReturnCharacter(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return static_cast<char>(c);
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    if (c >= 128 && c <= 237) return kReturnFolding[c - 128];
    return ' ';
}

}  // namespace

std::string Normalise(const std::string& text, int width) {
    std::string r;
    for (const char c : text) {
        const char folded = ReturnCharacter(static_cast<unsigned char>(c));
        if (folded == ' ') {
            while (!r.empty() && r.back() == ' ') r.pop_back();
        }
        r += folded;
    }
    const auto first = r.find_first_not_of(' ');
    r.erase(0, first == std::string::npos ? r.size() : first);
    if (width != 0) {
        r.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
        return r;
    }
    while (!r.empty() && r.back() == ' ') r.pop_back();
    return r;
}

std::string PostalCodeAndTown(const std::string& addressLine) {
    std::string postalCode = "08000";
    std::size_t i = 0;
    while (i < addressLine.size() && addressLine[i] >= '0' && addressLine[i] <= '9') ++i;
    postalCode.replace(0, std::min<std::size_t>(i, 5),
                       addressLine.substr(0, std::min<std::size_t>(i, 5)));
    while (i < addressLine.size() && !(addressLine[i] >= 'A' && addressLine[i] <= 'Z')) ++i;
    std::string result = postalCode + addressLine.substr(i);
    const auto first = result.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return result.substr(first, result.find_last_not_of(' ') - first + 1);
}

std::int16_t ContactNameIsInvalid(const std::string& name) {
    if (name.find_first_of("0123456789") != std::string::npos) return -1;
    const std::string r = Normalise(name, 0);
    const auto blanks = std::count(r.begin(), r.end(), ' ');
    const auto firstBlank = r.find(' ');
    // A missing blank counts as position 0, so the first word is "shorter
    // than two letters" too.
    const long firstWordLength =
        firstBlank == std::string::npos ? -1 : static_cast<long>(firstBlank);
    return (blanks < 2 || firstWordLength < 2) ? -1 : 0;
}

}  // namespace vela
