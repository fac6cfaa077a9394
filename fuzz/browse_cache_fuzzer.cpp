// libFuzzer target for the browse lists' line cache: any bytes found in
// Browse.tmp (left by a crash, or written by a caller before a list without
// a record file) must read as entries that lie inside the file, forward by
// their lengths and back by their previous offsets, without a loop.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/browse_cache.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/browse-cache-fuzz-" + std::to_string(::getpid());
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    vela::LineCache cache;
    if (!cache.Open(path, false)) return 0;
    vela::CacheEntry entry;
    std::int32_t offset = 1;
    int forward = 0;
    while (cache.Read(offset, entry)) {
        if (entry.offset != offset || entry.Next() > cache.End() || entry.previous >= offset)
            std::abort();
        offset = entry.Next();
        ++forward;
    }
    // Backwards from the last entry read: every step goes to an earlier one.
    int back = 0;
    while (entry.Exists() && entry.previous != 0) {
        const std::int32_t from = entry.offset;
        if (!cache.Read(entry.previous, entry)) break;
        if (entry.offset >= from || ++back > forward + static_cast<int>(size)) std::abort();
    }
    cache.Append(7, "APPENDED");
    cache.Remove();
    return 0;
}
