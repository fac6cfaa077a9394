// libFuzzer target for the check of return files: any bytes given as a
// return file are checked without a crash or a hang, and every finding
// points into the file (a record that exists, a position 0-500) with a
// known code and severity; read as a listing, every owner block found has a
// four-digit owner code.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/filing_check.hpp"
#include "app/filing_check_listing.hpp"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view contents(reinterpret_cast<const char*>(data), size);
    // The first byte picks the folder, so that the year check runs too.
    const std::string_view folder = size > 0 && data[0] % 2 ? "190M2025.0A" : "";
    vela::PayeeDirectory payees;
    payees["12345678Z"] = {"0001", false};
    const auto lines = static_cast<int>(std::count(contents.begin(), contents.end(), '\n')) + 1;
    for (const vela::Finding& f : vela::CheckReturnFile(contents, folder, &payees)) {
        Check(f.record >= 1 && f.record <= lines);
        Check(f.position >= 0 && f.position <= 500);
        Check(f.severity() == 'E' || f.severity() == 'W');
        Check(std::string(f.code()).size() >= 2);
    }
    for (const vela::ListingOwnerTotals& owner : vela::ReadListingOwnerTotals(contents)) {
        Check(owner.ownerDigits.size() == 4);
    }
    return 0;
}
