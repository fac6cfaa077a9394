// The records of the office's files as rows of comma-separated values, and
// back. One column per field of the record layout description (a repeated
// field gives NAME1 ... NAMEn), in the description's order; values as a
// person writes them:
//   text    the field without its trailing blanks, in UTF-8
//   code    every digit, zeros included ("0042")
//   date    day.month.year ("31.12.2025"); empty for no date
//   amount  euros with a decimal point and two decimals ("-1234.50")
//   count, byte  a whole number
// Reading a row, a field whose column is left out (or empty) is blank (text)
// or zero; the bytes of the record outside its fields are blanks. Fields that
// share bytes (a key field inside a longer code) must agree.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/records/record_layouts.hpp"

namespace vela::recutil {

struct CsvColumn {
    std::string name;
    FieldKind kind = FieldKind::text;
    std::size_t offset = 0;
    std::size_t width = 0;
};

// The file of the installation a host path names, by its base name without
// extension, in any case ("DADES/VPagos.dat", "vpagos"); nullptr for none.
const RecordFileInfo* RecordFileOfPath(std::string_view hostPath);

// The columns of a file, in order.
std::vector<CsvColumn> CsvColumns(const RecordFileInfo& file);

// The names of the columns: the header row.
std::vector<std::string> CsvHeader(const RecordFileInfo& file);

// A field's value as written in a row. record holds at least the file's
// record length.
std::string CsvFieldText(const CsvColumn& column, std::string_view record);

// The values of one record.
std::vector<std::string> CsvRecordValues(const RecordFileInfo& file, std::string_view record);

// Writes a value into a field; false, with why in plain words, when the value
// cannot stand in it.
bool WriteCsvFieldText(const CsvColumn& column, std::string_view text, std::string& record,
                       std::string& why);

// Builds records from rows under one header row.
class CsvRecordBuilder {
  public:
    // The columns named by a header row. Nothing, with error naming the
    // column ("column 3: ..."), for a name that is not a field of the file or
    // one that stands twice.
    static std::optional<CsvRecordBuilder> FromHeader(const RecordFileInfo& file,
                                                      const std::vector<std::string>& header,
                                                      std::string& error);

    // The record of one row. False, with error naming the column
    // ("column 3 (paymentDate): ..."), for a wrong number of values or a
    // value that cannot stand in its field.
    bool Build(const std::vector<std::string>& values, std::string& record,
               std::string& error) const;

  private:
    std::vector<CsvColumn> columns_;  // in the order of the header
    std::string empty_;               // the record before any value is written
};

}  // namespace vela::recutil
