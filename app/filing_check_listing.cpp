#include "app/filing_check_listing.hpp"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace vela {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An edited amount: digits with thousands separators ('.' or ',' before a
// group of three), an optional decimal part of one or two digits after the
// last separator, an optional trailing '-'.
std::optional<long long> Amount(std::string token) {
    bool negative = false;
    if (!token.empty() && token.back() == '-') {
        negative = true;
        token.pop_back();
    }
    if (token.empty() || !IsDigit(token.front()) || !IsDigit(token.back())) return std::nullopt;
    long long whole = 0;
    long long cents = 0;
    std::size_t at = 0;
    while (at < token.size()) {
        std::size_t end = at;
        while (end < token.size() && IsDigit(token[end])) ++end;
        const std::string group = token.substr(at, end - at);
        if (group.empty()) return std::nullopt;
        const bool last = end == token.size();
        if (at > 0 && last && group.size() <= 2) {
            cents = std::stoll(group) * (group.size() == 1 ? 10 : 1);
        } else {
            // Larger than any amount of the listing: not one.
            if ((at > 0 && group.size() != 3) || group.size() > 15 || whole > 1000000000000LL) {
                return std::nullopt;
            }
            whole = whole * (at > 0 ? 1000 : 1) + std::stoll(group);
        }
        if (last) break;
        if (token[end] != '.' && token[end] != ',') return std::nullopt;
        at = end + 1;
    }
    const long long value = whole * 100 + cents;
    return negative ? -value : value;
}

bool IsCategory(const std::string& token) {
    return token == "A00" || token == "G01" || token == "H04";
}

// A line of dashes: the one that closes an owner's payees (indented to
// the amounts) or the one under a page's headings (from the first column).
bool IsDashes(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first != std::string_view::npos &&
           line.find_first_not_of('-', first) == std::string_view::npos &&
           line.size() - first >= 20;
}
bool IsSeparator(std::string_view line) { return IsDashes(line) && line[0] == ' '; }

bool DotLeader(std::string_view line) {
    for (const char* key : {" A00 ", " G01 ", " H04 "}) {
        const std::size_t at = line.find(key);
        if (at == std::string_view::npos) continue;
        const std::size_t last = line.find_last_not_of(' ', at);
        return last != std::string_view::npos && line[last] == '.';
    }
    return false;
}

std::vector<std::string> Tokens(std::string_view line) {
    std::istringstream in{std::string(line)};
    std::vector<std::string> tokens;
    for (std::string token; in >> token;) tokens.push_back(token);
    return tokens;
}

// Adds the figures of a line: a key followed by two amounts (base and
// withheld); a key with one amount is a payment on account.
void AddFigures(std::string_view line, ListingOwnerTotals& totals) {
    const std::vector<std::string> tokens = Tokens(line);
    for (std::size_t i = 0; i + 2 < tokens.size(); ++i) {
        if (!IsCategory(tokens[i])) continue;
        const auto base = Amount(tokens[i + 1]);
        const auto withheld = Amount(tokens[i + 2]);
        if (base && withheld) {
            totals.base += *base;
            totals.withheld += *withheld;
        }
    }
}

}  // namespace

std::vector<ListingOwnerTotals> ReadListingOwnerTotals(std::string_view listing) {
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < listing.size();) {
        std::size_t end = listing.find('\n', at);
        if (end == std::string_view::npos) end = listing.size();
        std::string_view line = listing.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        at = end + 1;
    }
    std::vector<ListingOwnerTotals> owners;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (!IsDashes(lines[i])) continue;
        const std::string_view first = lines[i + 1];
        std::size_t digits = 0;
        while (digits < first.size() && IsDigit(first[digits])) ++digits;
        if (digits == 0 || digits > 4 || (digits < first.size() && first[digits] != ' ')) continue;
        // Under a page's headings an owner's totals, moved to the new page,
        // are told from a payee's line (whose code has four digits) by the
        // dots that lead from the owner's name to the first key, or by the
        // indented line under it (another key, or the payments on account).
        const bool indentedNext = i + 2 < lines.size() && !lines[i + 2].empty() &&
                                  lines[i + 2][0] == ' ' && !IsDashes(lines[i + 2]);
        if (!IsSeparator(lines[i]) && digits == 4 && !DotLeader(first) && !indentedNext) {
            continue;
        }
        ListingOwnerTotals totals;
        totals.ownerDigits = std::string(4 - digits, '0') + std::string(first.substr(0, digits));
        AddFigures(first.substr(digits), totals);
        // The other keys' lines follow, indented, up to the blank line that
        // ends the block, or up to the dashes of the territory's totals when
        // the owner made no payment on account.
        for (std::size_t j = i + 2;
             j < lines.size() && !lines[j].empty() && lines[j][0] == ' ' && !IsSeparator(lines[j]);
             ++j) {
            AddFigures(lines[j], totals);
        }
        owners.push_back(totals);
    }
    return owners;
}

std::vector<Finding> CompareWithListing(std::string_view returnFile, const std::string& ownerDigits,
                                        const std::vector<ListingOwnerTotals>& listing) {
    if (returnFile.size() < 175 || returnFile[0] != '1') return {};
    const std::string_view base = returnFile.substr(145, 15);
    const std::string_view withheld = returnFile.substr(160, 15);
    const char sign = returnFile[144];
    if (!std::all_of(base.begin(), base.end(), IsDigit) ||
        !std::all_of(withheld.begin(), withheld.end(), IsDigit) || (sign != ' ' && sign != 'N')) {
        return {};
    }
    const long long fileBase = (sign == 'N' ? -1 : 1) * std::stoll(std::string(base));
    const long long fileWithheld = std::stoll(std::string(withheld));
    bool named = false;
    std::string shown;
    for (const ListingOwnerTotals& owner : listing) {
        if (owner.ownerDigits != ownerDigits) continue;
        // The file carries the withheld total without its sign.
        if (owner.base == fileBase && std::llabs(owner.withheld) == fileWithheld) return {};
        named = true;
        shown += (shown.empty() ? "" : ", ") + std::to_string(owner.base) + " " +
                 std::to_string(owner.withheld);
    }
    if (!named) return {};
    Finding finding;
    finding.record = 1;
    finding.position = 145;
    finding.problem = Problem::listingTotals;
    finding.value = std::to_string(fileBase) + " " + std::to_string(fileWithheld) + " / " + shown;
    return {finding};
}

}  // namespace vela
