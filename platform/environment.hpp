// The process environment, read as the session settings expect it: a missing
// variable is an empty text.
#pragma once

#include <string>

namespace vela {

std::string GetEnvironment(const char* name);

}  // namespace vela
