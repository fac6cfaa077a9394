// The annual withholding listing: per territory, a page header with the
// office, the page number and the title, a line per reported payee with its
// base and tax withheld, a block of totals per owner (with the payments on
// account of its period headers) and the totals of the territory. Pages hold
// 66 lines; a payee line starts a new page past line 60, a totals block past
// line 59. Amounts show in the currency in force.
#pragma once

#include <string>

#include "app/payee_sums.hpp"

namespace vela {

// What the page header names: the office and the selection.
struct ListingHeading {
    std::string officeName;
    std::string firstOwner;   // packed code
    std::string lastOwner;    // packed code
    std::string closingDate;  // packed date
};

struct ListingLine {
    std::string payeeCode;   // packed, 2 bytes
    std::string payeeTaxId;  // blank when unknown
    std::string fiscalName;
    char key = 'A';      // return key of the pass
    std::string subkey;  // "00", "01", "04"
    double base = 0;
    double withheld = 0;
};

struct ListingOwner {
    std::string ownerCode;  // packed
    std::string ownerTaxId;
    std::string ownerName;
};

// Prints into the open spool file; pageNumber is the run's count of outputs
// begun (the page number, restarting at 1 in every territory).
class ListingPrinter {
  public:
    ListingPrinter(const ListingHeading& heading, int& pageNumber)
        : heading_(heading), pageNumber_(pageNumber) {}

    void BeginPage();
    void PrintLine(const ListingLine& line);
    void PrintOwnerTotals(const ListingOwner& owner, const ReportTotals& totals);
    void PrintTerritoryTotals(const ReportTotals& totals);

  private:
    const ListingHeading& heading_;
    int& pageNumber_;
};

}  // namespace vela
