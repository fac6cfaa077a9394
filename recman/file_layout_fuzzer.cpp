// libFuzzer target: Create buffers (and the Stat buffers written back from
// them) come from dictionary files an office can edit by hand.
#include <cstddef>
#include <cstdint>

#include "recman/file_layout.hpp"
#include "recman/key_order.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vela::recman::FileLayout layout;
    if (vela::recman::ParseFileLayout({data, size}, layout) != 0) return 0;
    const std::vector<uint8_t> stat = vela::recman::StatBuffer(layout, 0, {});
    vela::recman::FileLayout again;
    if (vela::recman::ParseFileLayout(stat, again) != 0) __builtin_trap();
    // Order bytes of a record of blanks along every key.
    std::vector<uint8_t> record(layout.recordLength, ' ');
    for (const auto& key : layout.keys) {
        const std::string value = vela::recman::KeyValueOf(key, record.data());
        std::string order;
        vela::recman::AppendOrderBytes(layout, key, reinterpret_cast<const uint8_t*>(value.data()),
                                       order);
        if (order.size() != key.length) __builtin_trap();
    }
    return 0;
}
