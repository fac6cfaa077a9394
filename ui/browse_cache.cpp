#include "ui/browse_cache.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

#include "env/session.hpp"
#include "platform/host_path.hpp"

namespace vela {

namespace {

std::int32_t Little32(const unsigned char* bytes) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

void PutLittle(unsigned char* bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

std::string BrowseCachePath() { return ResolveHostPath(Session.tmpDir + "Browse.tmp"); }

LineCache::~LineCache() {
    if (file_ != nullptr) std::fclose(file_);
}

bool LineCache::Open(const std::string& hostPath, bool empty) {
    if (file_ != nullptr) std::fclose(file_);
    path_ = hostPath;
    file_ = empty ? nullptr : std::fopen(hostPath.c_str(), "r+b");
    if (file_ == nullptr) file_ = std::fopen(hostPath.c_str(), "w+b");
    size_ = 0;
    last_ = 0;
    appended_ = 0;
    if (file_ == nullptr) return false;
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        const long size = std::ftell(file_);
        // Offsets are 4-byte signed: a larger file is only read up to there.
        if (size > 0)
            size_ = static_cast<std::int32_t>(
                std::min<long>(size, std::numeric_limits<std::int32_t>::max() / 2));
    }
    return true;
}

void LineCache::Remove() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (!path_.empty()) std::remove(path_.c_str());
    size_ = 0;
    last_ = 0;
}

bool LineCache::Read(std::int32_t offset, CacheEntry& entry) {
    if (file_ == nullptr || offset < 1 || offset + kCacheEntryHeader > End()) return false;
    std::array<unsigned char, kCacheEntryHeader> header{};
    if (std::fseek(file_, offset - 1, SEEK_SET) != 0 ||
        std::fread(header.data(), 1, header.size(), file_) != header.size()) {
        return false;
    }
    const std::int32_t previous = Little32(&header[0]);
    const std::int32_t position = Little32(&header[4]);
    const auto length = static_cast<std::int16_t>(header[8] | header[9] << 8);
    // A previous entry lies before this one; anything else is damage and
    // makes this entry the first.
    if (length < 0 || offset + kCacheEntryHeader + length > End()) return false;
    std::string text(static_cast<std::size_t>(length), '\0');
    if (length > 0 && std::fread(text.data(), 1, text.size(), file_) != text.size()) return false;
    entry.offset = offset;
    entry.previous = previous >= 1 && previous + kCacheEntryHeader <= offset ? previous : 0;
    entry.position = position;
    entry.text = std::move(text);
    if (offset > last_) last_ = offset;
    return true;
}

CacheEntry LineCache::Append(std::int32_t position, std::string text) {
    if (text.size() > kLongestCacheText) text.resize(kLongestCacheText);
    CacheEntry entry;
    if (file_ == nullptr) return entry;
    std::array<unsigned char, kCacheEntryHeader> header{};
    PutLittle(&header[0], static_cast<std::uint32_t>(last_), 4);
    PutLittle(&header[4], static_cast<std::uint32_t>(position), 4);
    PutLittle(&header[8], static_cast<std::uint32_t>(text.size()), 2);
    if (std::fseek(file_, size_, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), file_) != header.size() ||
        std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
        return entry;
    }
    std::fflush(file_);
    entry.offset = size_ + 1;
    entry.previous = last_;
    entry.position = position;
    entry.text = std::move(text);
    last_ = entry.offset;
    size_ = entry.Next() - 1;
    ++appended_;
    return entry;
}

}  // namespace vela
