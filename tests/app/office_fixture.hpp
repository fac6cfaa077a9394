// Test support for the withholding run: a small installation in a fresh
// folder whose record files hold exactly the records a test adds, opened
// into the record areas as the program opens them, with a session folder
// for the window stack and the spool file.
#pragma once

#include <cstdint>
#include <string>

#include "tests/support/temp_folder.hpp"

namespace vela::testing {

struct PayeeSpec {
    std::string code;  // four digits
    std::string name;
    std::string kind = "P";
    std::string taxId = "ES12345678Z";
    std::string address2 = "08025 BARCELONA";
    std::string email;
};

class OfficeFixture {
  public:
    OfficeFixture();
    ~OfficeFixture();

    void Territory(int number, const std::string& name);
    // A territory whose code is a byte outside the table's encoding.
    void TerritoryWithCode(std::uint8_t codeByte, const std::string& name);
    void Owner(const std::string& code, const std::string& name, const std::string& taxId,
               const std::string& withholding = "S", std::uint8_t state = 0);
    // Group n of an owner, in territory number territory.
    void Group(const std::string& owner, int n, int territory);
    void Payment(const std::string& owner, int group, const std::string& date, std::int32_t base,
                 std::int32_t withheld, const std::string& payee);
    void Payee(const PayeeSpec& payee);
    void Family(const std::string& payee, const std::string& birthYear,
                const std::string& situation, const std::string& spouseTaxId,
                std::int32_t reductions);
    void Fiscal(const std::string& taxId, const std::string& name);
    void Period(const std::string& owner, int group, const std::string& date, std::int32_t a,
                std::int32_t g, std::int32_t h);

    // Writes the records, opens the nine files into the record areas and
    // sets the session, the office identity and the selection's fixed parts.
    void Open();
    // Selection of the run: kind, closing date YYYYMMDD, owner range.
    void Select(const std::string& kind, const std::string& closing,
                const std::string& first = "0001", const std::string& last = "9999");

    const std::string& root() const { return root_.path(); }
    const std::string& session() const { return session_.path(); }
    std::string SpoolText() const;

  private:
    void Add(std::int16_t fileNumber, const std::string& record);
    TempFolder root_;
    TempFolder session_;
    struct Pending;
    Pending* pending_;
};

}  // namespace vela::testing
