// libFuzzer target for the print program's spool reader: any bytes in
// rovodovo.tmp must be read or refused without a crash or a hang, and what
// is read must stay within the paper's bounds, a bold mark for every
// character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/print_program/spool_document.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const vela::SpoolContents contents = vela::ReadSpool(text);
    if (!contents.isSpool && !contents.documents.empty()) std::abort();
    for (const auto& document : contents.documents) {
        for (const auto& page : document.pages) {
            if (page.lines.size() != page.bold.size() || page.lines.size() > 10001) std::abort();
            for (std::size_t i = 0; i < page.lines.size(); ++i) {
                if (page.lines[i].size() != page.bold[i].size()) std::abort();
                if (page.lines[i].size() > 6000) std::abort();
            }
        }
    }
    return 0;
}
