// The owners' totals of an annual withholding listing, as the print program
// writes it out as text, compared with the declarant records of the return
// files of the same selection: an owner whose listing totals differ from its
// return file's is reported (check X1).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/filing_check.hpp"

namespace vela {

struct ListingOwnerTotals {
    std::string ownerDigits;  // 4 digits
    long long base = 0;       // cents, with its sign
    long long withheld = 0;   // cents, with its sign
};

// Every owner totals block of a listing: the line after the dashes that
// close an owner's payees, with the figures of each return key (A00, G01,
// H04: base and withheld) on that line and the ones under it. Amounts may
// use either '.' or ',' between thousands; decimals have at most two digits.
std::vector<ListingOwnerTotals> ReadListingOwnerTotals(std::string_view listing);

// X1 when the listing holds totals of the return file's owner and none of
// them (one a territory) equals the declarant record's. Nothing when the
// listing does not name the owner or the declarant record is unreadable.
std::vector<Finding> CompareWithListing(std::string_view returnFile, const std::string& ownerDigits,
                                        const std::vector<ListingOwnerTotals>& listing);

}  // namespace vela
