#include "app/program_values.hpp"

namespace vela {

std::string moduleName;
std::string recordTerminator;

}  // namespace vela
