#include "recman/file_header.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "recman/record_manager.hpp"

namespace vela::recman {

namespace {

// The engine's meta page: a 16-byte page header, then magic (4), version
// (4), map address (8), map size (8), two database records of 48 bytes (the
// first one's leading 4 bytes hold the page size), last page (8), last
// transaction (8).
constexpr uint32_t kMagic = 0xBEEFC0DE;
constexpr uint32_t kVersion = 1;
constexpr std::size_t kMagicAt = 16;
constexpr std::size_t kVersionAt = 20;
constexpr std::size_t kPageSizeAt = 40;
constexpr std::size_t kFreeRootAt = 80;
constexpr std::size_t kMainRootAt = 128;
constexpr std::size_t kLastPageAt = 136;
constexpr std::size_t kTransactionAt = 144;
constexpr std::size_t kMetaEnd = 152;
constexpr std::size_t kMaxPageSize = 65536;
constexpr uint64_t kNoPage = ~uint64_t{0};

uint64_t ReadLe(std::span<const uint8_t> b, std::size_t at, int size) {
    uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

struct Meta {
    bool valid = false;
    uint64_t lastPage = 0;
    uint64_t transaction = 0;
};

Meta ReadMeta(std::span<const uint8_t> page) {
    Meta meta;
    if (page.size() < kMetaEnd) return meta;
    if (ReadLe(page, kMagicAt, 4) != kMagic || ReadLe(page, kVersionAt, 4) != kVersion) return meta;
    meta.lastPage = ReadLe(page, kLastPageAt, 8);
    meta.transaction = ReadLe(page, kTransactionAt, 8);
    for (std::size_t at : {kFreeRootAt, kMainRootAt}) {
        const uint64_t root = ReadLe(page, at, 8);
        if (root != kNoPage && root > meta.lastPage) return meta;
    }
    meta.valid = true;
    return meta;
}

}  // namespace

int16_t CheckFileHeader(std::span<const uint8_t> bytes, uint64_t fileSize) {
    if (bytes.size() < kMetaEnd) return kStatusNotRecordFile;
    const uint64_t pageSize = ReadLe(bytes, kPageSizeAt, 4);
    if (pageSize < 512 || pageSize > kMaxPageSize || (pageSize & (pageSize - 1)) != 0) {
        return kStatusNotRecordFile;
    }
    if (bytes.size() < 2 * pageSize || fileSize < 2 * pageSize) return kStatusNotRecordFile;
    const Meta first = ReadMeta(bytes.subspan(0, pageSize));
    const Meta second = ReadMeta(bytes.subspan(pageSize, pageSize));
    if (!first.valid && !second.valid) return kStatusNotRecordFile;
    // The engine uses the meta page of the later transaction; the file must
    // hold every page that it names.
    const Meta& current =
        (!second.valid || (first.valid && first.transaction > second.transaction)) ? first : second;
    if (current.lastPage >= fileSize / pageSize) return kStatusNotRecordFile;
    if (!first.valid || !second.valid) return kStatusNotRecordFile;
    return kStatusOk;
}

int16_t CheckFileAt(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? kStatusFileNotFound : kStatusIoError;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return kStatusNotRecordFile;
    }
    std::vector<uint8_t> bytes(std::min<uint64_t>(info.st_size, 2 * kMaxPageSize));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return CheckFileHeader(bytes, static_cast<uint64_t>(info.st_size));
}

}  // namespace vela::recman
