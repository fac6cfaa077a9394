// The line cache of a browse list, "Browse.tmp" in the session folder: the
// display lines already produced, so that scrolling back (and forward over
// lines already seen) never reads the record file again. A binary file of
// entries written one after another, each:
//   offset 0, 4 bytes: 1-based file offset of the previous entry's start,
//                      little-endian (0 for the first entry)
//   offset 4, 4 bytes: record position of the entry's record (0 for none)
//   offset 8, 2 bytes: length n of the text, signed little-endian
//   offset 10, n bytes: the text, code page 850, no trailing blanks.
// The file exists only while a list is open. A caller may fill it before a
// list without a record file opens; a file damaged by a crash or by such a
// caller reads as if it ended at the first entry that does not fit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace vela {

struct CacheEntry {
    std::int32_t offset = 0;  // 1-based start; 0 = no entry
    std::int32_t previous = 0;
    std::int32_t position = 0;
    std::string text;

    bool Exists() const { return offset > 0; }
    std::int32_t Next() const { return offset + 10 + static_cast<std::int32_t>(text.size()); }
};

inline constexpr std::int32_t kCacheEntryHeader = 10;
inline constexpr std::size_t kLongestCacheText = 32767;

// Host path of "Browse.tmp".
std::string BrowseCachePath();

class LineCache {
  public:
    LineCache() = default;
    LineCache(const LineCache&) = delete;
    LineCache& operator=(const LineCache&) = delete;
    ~LineCache();

    // Opens the file for reading and writing; emptied first when empty is
    // set, created when missing. False when it cannot be opened.
    bool Open(const std::string& hostPath, bool empty);
    // Closes and deletes the file.
    void Remove();

    // The entry starting at offset, when a whole, well-formed one is there.
    bool Read(std::int32_t offset, CacheEntry& entry);
    // Appends an entry after the last one; its previous offset is that of
    // the entry appended (or found last) before. The text is cut to 32,767.
    CacheEntry Append(std::int32_t position, std::string text);

    // 1-based offset just after the file's last byte.
    std::int32_t End() const { return size_ + 1; }
    // Entries read and appended since Open, for the list's own checks.
    int Appended() const { return appended_; }

  private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::int32_t size_ = 0;
    std::int32_t last_ = 0;  // offset of the newest entry appended or read at the end
    int appended_ = 0;
};

}  // namespace vela
