// Process-wide values the program driver sets for the rest of the
// application.
#pragma once

#include <string>

namespace vela {

// The program's module name: names its form description and language file.
extern std::string moduleName;

// CR LF, kept right behind a 500-byte return record so that one write puts
// the record and its line end together.
extern std::string recordTerminator;

}  // namespace vela
