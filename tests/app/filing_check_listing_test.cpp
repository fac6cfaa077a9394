// The listing's owner totals read back from the text the print program
// writes, and compared with the declarant records (check X1).
#include "app/filing_check_listing.hpp"

#include <gtest/gtest.h>

namespace vela {
namespace {

// An owner's block as the listing prints it: payees, the dashes, the owner
// line with its first key's figures, the other keys under it, the payments
// on account, a blank line; then the territory's totals.
const char* const kListing =
    "FINQUES PLANA DE VIC                                                   PÀGINA    1\n"
    "\n"
    "CODI N.I.F.            INDUSTRIAL                               EPI.         BASE      "
    "RETENCIÓ\n"
    "----------------------------------------------------------------------------------\n"
    "0004 ES10011997M       PLANAS GONÇALVES MARIA                   G01     27.181,03      "
    "3.694,04\n"
    "                                                                    "
    "---------------------------\n"
    "1    ES70003000Q       PEÑA SERRA*JOSEP ....................... G01    117.743,37     "
    "15.634,82\n"
    "                                                                H04    165.101,05      "
    "4.601,08\n"
    "                       INGRESSOS A COMPTE ..................... A00                      "
    "467,90\n"
    "                                                                G01                    "
    "1.837,01\n"
    "\n"
    "0007 *** falta ***     ARAGONÈS IBÁÑEZ*ARANTXA                  A00     26.134,4       "
    "2.293,89\n"
    "                                                                    "
    "---------------------------\n"
    // The owner's totals moved to a new page.
    "FINQUES PLANA DE VIC                                                   PÀGINA    2\n"
    "\n"
    "CODI N.I.F.            INDUSTRIAL                               EPI.         BASE      "
    "RETENCIÓ\n"
    "----------------------------------------------------------------------------------\n"
    "0042 ES12345678Z       PUIG*JOSEP ............................. G01      1.452-          "
    "217,8-\n"
    "                       INGRESSOS A COMPTE .....................\n"
    "                                                                    "
    "---------------------------\n"
    "                       TOTALS                                   G01    116.291,37     "
    "15.417,02\n";

TEST(ListingTotals, AnOwnerWithoutDotsAfterItsNameAtTheTopOfAPage) {
    const auto owners = ReadListingOwnerTotals(
        "----------------------------------------------------------------------------------\n"
        "1430 ESH74275710       COMUNITAT PROPIETARIS TRAV. DE LES CORTS A00     31.967,65      "
        "3.068,00\n"
        "                       INGRESSOS A COMPTE .....................\n"
        "\n"
        "----------------------------------------------------------------------------------\n"
        "1811 ESZ4541490F       TORRENT GONÇALVES ÀNGELS                 A00     23.903,54      "
        "1.819,55\n"
        "                                                                    "
        "---------------------------\n");
    ASSERT_EQ(owners.size(), 1u);
    EXPECT_EQ(owners[0].ownerDigits, "1430");
    EXPECT_EQ(owners[0].base, 3196765);
}

TEST(ListingTotals, OwnerBlocksAreReadWithTheirKeysAndSigns) {
    const auto owners = ReadListingOwnerTotals(kListing);
    ASSERT_EQ(owners.size(), 2u);
    EXPECT_EQ(owners[0].ownerDigits, "0001");
    EXPECT_EQ(owners[0].base, 11774337 + 16510105);
    EXPECT_EQ(owners[0].withheld, 1563482 + 460108);  // payments on account left out
    EXPECT_EQ(owners[1].ownerDigits, "0042");
    EXPECT_EQ(owners[1].base, -145200);  // "1.452": thousands, not decimals
    EXPECT_EQ(owners[1].withheld, -21780);
    // Thousands written with a comma and decimals with a point read the same.
    const auto other = ReadListingOwnerTotals(
        "   ----------------------------\n"
        "7    ESB12345674       X ......... G01  1,000.5  2,000\n");
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].base, 100050);
    EXPECT_EQ(other[0].withheld, 200000);
    // Tokens that are not amounts leave the figures alone.
    const auto odd = ReadListingOwnerTotals(
        "   ----------------------------\n"
        "8    ESB12345674       X ......... G01  1.000.000.000.000.000.000.000 5\n"
        "                                   H04  12,345,6 1.5.6\n");
    ASSERT_EQ(odd.size(), 1u);
    EXPECT_EQ(odd[0].base, 0);
    EXPECT_EQ(odd[0].withheld, 0);
    EXPECT_TRUE(ReadListingOwnerTotals("").empty());
    EXPECT_TRUE(ReadListingOwnerTotals("   -------------------------\n").empty());
}

std::string Declarant(const std::string& signAndBase, const std::string& withheld) {
    std::string r(500, ' ');
    r.replace(0, 4, "1190");
    r.replace(144, 16, signAndBase);
    r.replace(160, 15, withheld);
    return r;
}

TEST(ListingTotals, DeclarantTotalsAgainstTheListing) {
    const auto owners = ReadListingOwnerTotals(kListing);
    const std::string owner1 = Declarant(" 000000028284442", "000000002023590");
    EXPECT_TRUE(CompareWithListing(owner1, "0001", owners).empty());
    // The file carries the withheld total without its sign.
    EXPECT_TRUE(CompareWithListing(Declarant("N000000000145200", "000000000021780"), "0042", owners)
                    .empty());
    const auto differs =
        CompareWithListing(Declarant(" 000000028284442", "000000002023591"), "0001", owners);
    ASSERT_EQ(differs.size(), 1u);
    EXPECT_EQ(std::string(differs[0].code()), "X1");
    EXPECT_EQ(differs[0].severity(), 'W');
    EXPECT_EQ(differs[0].record, 1);
    EXPECT_EQ(differs[0].position, 145);
    // An owner the listing does not name, or an unreadable record: nothing.
    EXPECT_TRUE(CompareWithListing(owner1, "0002", owners).empty());
    EXPECT_TRUE(CompareWithListing(std::string(500, ' '), "0001", owners).empty());
    EXPECT_TRUE(CompareWithListing("1190", "0001", owners).empty());
}

}  // namespace
}  // namespace vela
