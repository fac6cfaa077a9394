// Plain words for the record manager's statuses, for tools that report them
// to a person.
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// "status 30 (not a record file)"; unknown statuses give just the number.
std::string StatusText(int16_t status);

}  // namespace vela
