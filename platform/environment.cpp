#include "platform/environment.hpp"

#include <cstdlib>

namespace vela {

std::string GetEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace vela
