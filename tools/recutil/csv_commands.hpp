// recutil's export and import: the records of one of the installation's
// record files as comma-separated values (record_csv.hpp), and back.
#pragma once

#include <iosfwd>
#include <string>

namespace vela::recutil {

// Writes the header and the records of the file at path, in key keyNumber
// order, to out. 0 on success; otherwise 1, with the reason on err.
int ExportCsv(const std::string& path, int keyNumber, std::ostream& out, std::ostream& err);

// Inserts the records of the CSV file into the file at path, all or none:
// the inserts are one transaction, abandoned at the first bad value or
// refused record. 0 on success (the count said on out); otherwise 1, with the
// line and column of the first bad value on err, and the file unchanged.
int ImportCsv(const std::string& path, const std::string& csvPath, std::ostream& out,
              std::ostream& err);

}  // namespace vela::recutil
