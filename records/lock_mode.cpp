#include "records/lock_mode.hpp"

#include <cctype>

namespace vela {

std::string lockModeStack;

void ApplyLockMode(const std::string& letters, int slot, int16_t& mode, std::string& stack) {
    for (const char c : letters) {
        switch (std::toupper(static_cast<unsigned char>(c))) {
            case 'D':
                mode = kLockModeNone;
                break;
            case 'A':
                mode = kLockModeWait;
                break;
            case 'B':
                mode = kLockModeReport;
                break;
            case '+':
                stack.push_back(static_cast<char>(slot));
                stack.push_back(static_cast<char>(mode));
                break;
            case '-':
                for (std::size_t at = stack.size(); at >= 2; at -= 2) {
                    if (static_cast<uint8_t>(stack[at - 2]) == slot) {
                        mode = static_cast<uint8_t>(stack[at - 1]);
                        stack.erase(at - 2, 2);
                        break;
                    }
                }
                break;
            default:
                break;
        }
    }
}

}  // namespace vela
