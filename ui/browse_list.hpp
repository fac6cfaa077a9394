// Browse lists: a framed, scrollable list of the records of one record file
// in the order of one of its keys, from a start key on while the keys share
// a prefix; the user scrolls and picks one record with Enter. F4 on a field
// with a list opens it. The list, its filter form and its window come from
// the form tables (form_tables.hpp); the application's list hooks (forms.hpp)
// give the prefix and start key, the text of each row and what a choice puts
// into the field.
//
// The rows are produced only as far as the user scrolls, one record read
// per new row, and kept in the line cache "Browse.tmp" (browse_cache.hpp):
// lists over large files open at once and scrolling back never reads the
// record file. A list without a record file shows the lines its caller has
// written into the cache beforehand.
//
// The highlighted row always shows the entry that Enter chooses, also after
// PgUp near the top of the list.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vela {

// Opens list number list and returns in result 0 when an entry was chosen
// (its record is then the current record of the list's file, read again by
// position), else -1 or the status of that read.
void BrowseList(std::int16_t list, std::int16_t& result);

// Makes BrowseList the list the form engine opens on F4.
void InstallBrowseLists();

// The record reads a list makes. The default goes to the record file layer;
// tests put their own in its place (nullptr: the default again).
class BrowseRecordSource {
  public:
    virtual ~BrowseRecordSource() = default;
    // Greater-or-equal read along keyNo; status.
    virtual std::int16_t Find(std::int16_t file, std::int16_t keyNo, const std::string& key) = 0;
    // The next record along the current key; status.
    virtual std::int16_t Step(std::int16_t file) = 0;
    virtual std::string CurrentKey(std::int16_t file) = 0;
    virtual std::string ComparableKey(const std::string& key, std::int16_t file) = 0;
    // Position 0: the current record's position; else reads that record.
    virtual std::int32_t Position(std::int16_t file, std::int32_t position) = 0;
    virtual void SetLockMode(std::int16_t file, const std::string& spec) = 0;
};
void SetBrowseRecordSourceForTesting(BrowseRecordSource* source);

// The default source: the record file layer.
class RecordFileSource : public BrowseRecordSource {
  public:
    std::int16_t Find(std::int16_t file, std::int16_t keyNo, const std::string& key) override;
    std::int16_t Step(std::int16_t file) override;
    std::string CurrentKey(std::int16_t file) override;
    std::string ComparableKey(const std::string& key, std::int16_t file) override;
    std::int32_t Position(std::int16_t file, std::int32_t position) override;
    void SetLockMode(std::int16_t file, const std::string& spec) override;
};

}  // namespace vela
