// libFuzzer target: unload files come from other programs.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "tools/recutil/unload_format.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream rewritten;
    std::string record, error;
    int records = 0;
    while (vela::recutil::ReadUnloadRecord(in, record, error)) {
        vela::recutil::WriteUnloadRecord(rewritten, record);
        ++records;
    }
    // What was read and written again reads back the same.
    std::istringstream again(rewritten.str());
    for (int i = 0; i < records; ++i) {
        if (!vela::recutil::ReadUnloadRecord(again, record, error)) __builtin_trap();
    }
    if (vela::recutil::ReadUnloadRecord(again, record, error) || !error.empty()) __builtin_trap();
    return 0;
}
