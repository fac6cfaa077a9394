// libFuzzer target for the language file reader: any bytes an office may put
// in a .LNG file must be read without a crash, and every record found must
// also be what a look-up of its key returns.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "env/translation.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    const auto records = vela::ReadLanguageRecords(contents);
    if (!records.empty()) {
        const vela::LanguageRecord& first = records.front();
        if (vela::FindTranslation(contents, first[0], "SPA") != first[3]) std::abort();
    }
    vela::FindTranslation(contents, "TOTALS", "GLG");
    return 0;
}
