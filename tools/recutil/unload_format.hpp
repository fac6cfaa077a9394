// The unload format, the interchange format of record files with the
// office's other programs: each record is its length in ASCII decimal
// digits, ",", the record bytes, CR LF; a Ctrl-Z byte (0x1A) may end the
// file.
#pragma once

#include <istream>
#include <ostream>
#include <string>

namespace vela::recutil {

inline constexpr char kEndOfFileByte = '\x1A';

// Reads the next record. Returns false at the end of the input (its real
// end or a Ctrl-Z) with error empty, or on malformed input with error
// saying what is wrong.
bool ReadUnloadRecord(std::istream& in, std::string& record, std::string& error);

void WriteUnloadRecord(std::ostream& out, const std::string& record);

}  // namespace vela::recutil
