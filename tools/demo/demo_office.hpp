// The demo office: a small but realistic property-administration office, as
// records of its nine record files and the values of its "Vela.ini".
//
// Owners in several tax territories (the state administration, a foral one
// and one whose administration has no folder of its own), their groups of
// properties, employees with family data, professionals, contractors of the
// kinds "I", "S" and "A", the office itself as payee 0000, payments over two
// years and into the next (with zero-withholding payments and payments after
// any closing date of the year), payments on account in period headers,
// names with accents, "ñ" and "ç" in the "surnames*given names" form, valid
// NIF, NIE and CIF numbers, postal codes with and without digits, e-mail
// addresses for some payees.
//
// Everything is made from the seed alone: one seed, one office, byte for
// byte. The number of owners sets the size; a large office has thousands of
// owners and about a million payments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/records/record_layouts.hpp"

namespace vela {

struct DemoOptions {
    std::uint64_t seed = 1;
    int owners = 12;  // 1 ... 9999
    int year = 2025;  // the year of the return; payments run from the year before
    // Adds the owners and payees whose faults the check of return files
    // finds (demo_check_cases.hpp), after the office's own.
    bool checkCases = false;
};

inline constexpr int kSmallOffice = 12;
inline constexpr int kLargeOffice = 3000;

// Receives the records, file by file in any interleaving; the records of one
// file arrive in an order that keeps each key's duplicates in date order.
class DemoRecordSink {
  public:
    virtual ~DemoRecordSink() = default;
    virtual void Add(const RecordFileInfo& file, std::string_view record) = 0;
};

// Hands every record to two sinks.
class TeeSink : public DemoRecordSink {
  public:
    TeeSink(DemoRecordSink& first, DemoRecordSink& second) : first_(first), second_(second) {}
    void Add(const RecordFileInfo& file, std::string_view record) override {
        first_.Add(file, record);
        second_.Add(file, record);
    }

  private:
    DemoRecordSink& first_;
    DemoRecordSink& second_;
};

// Counts of the records generated, per file in the order of kRecordFiles.
using DemoCounts = std::array<std::size_t, 9>;

DemoCounts GenerateDemoOffice(const DemoOptions& options, DemoRecordSink& sink);

struct IniEntry {
    std::string section;
    std::string key;
    std::string value;  // code page 850
};

// "Vela.ini" of the demo installation: [Usuari], [Oficina], [Presentador].
std::vector<IniEntry> DemoVelaIni(const DemoOptions& options);

}  // namespace vela
