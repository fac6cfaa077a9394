// Printing a PDF on a printer queue with "lp -d QUEUE FILE", run with an
// argument vector (no shell), so that a queue name is never read as a
// command.
#pragma once

#include <string>

namespace vela {

// False with the reason when lp is missing or refuses the file.
bool PrintOnQueue(const std::string& queue, const std::string& pdfPath, std::string& error);

}  // namespace vela
