#include "tools/print_program/printer_queue.hpp"

#include "platform/process.hpp"

namespace vela {

bool PrintOnQueue(const std::string& queue, const std::string& pdfPath, std::string& error) {
    std::string output;
    const int status = RunPiped({"lp", "-d", queue, pdfPath}, std::string(), &output);
    if (status == 0) return true;
    if (status < 0) {
        error = "lp could not be started (is the package cups-client installed?)";
    } else {
        error = "lp -d " + queue + " refused the file (status " + std::to_string(status) + ")";
    }
    return false;
}

}  // namespace vela
