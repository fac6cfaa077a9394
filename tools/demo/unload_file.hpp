// The unload format, the interchange format of record files with other
// programs: each record is its length in ASCII decimal digits, ",", the
// record's bytes and CR LF; a Ctrl-Z byte (0x1A) may end the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

// One record in unload form.
std::string UnloadRecord(std::string_view record);

// The records of an unload file; nothing when it is malformed.
std::optional<std::vector<std::string>> ParseUnload(std::string_view text);

}  // namespace vela
