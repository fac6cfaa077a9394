// Browse lists: a framed, scrollable list of the records of one record file
// in the order of one of its keys, from a start key on while the keys share
// a prefix; the user scrolls and picks one record with Enter. F4 on a field
// with a list opens it; the application's hooks give the prefix and start
// key, the text of each row and what a choice puts into the field.
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

// One browse list of the form description: the record file and key it
// walks, its screen rectangle (frame included), the form edited before it
// opens (0 for none), the heading in its top frame line and the list F4
// opens from inside it (0 for none).
struct BrowseListSpec {
    std::int16_t recordFile = 0;
    std::int16_t keyNo = 0;
    std::int16_t top = 0;
    std::int16_t left = 0;
    std::int16_t bottom = 0;
    std::int16_t right = 0;
    std::int16_t filterForm = 0;
    std::string title;
    std::int16_t nextList = 0;
};

// What a list takes from the form engine: its table of lists and the
// editing of a filter form (the key that ended it, 0x1b for Esc).
struct BrowseFormServices {
    std::function<bool(std::int16_t list, BrowseListSpec& spec)> listSpec;
    std::function<std::int16_t(std::int16_t form)> editFilterForm;
};
void SetBrowseFormServices(BrowseFormServices services);

// The entry of the list table for list; false when there is none.
bool BrowseListSpecOf(std::int16_t list, BrowseListSpec& spec);

// The application's hooks. startKey gives the prefix all listed keys share
// and the key to start from (non-zero cancels the list); rowText the line
// for the record just read; applyChoice puts the chosen record into a field
// (form 0 and field 0: no field, nothing stored, status 0).
struct BrowseListHooks {
    std::function<std::int16_t(std::int16_t list, std::string& prefix, std::string& startKey)>
        startKey;
    std::function<std::string(std::int16_t list)> rowText;
    std::function<std::int16_t(std::int16_t list, std::int16_t form, std::int16_t field)>
        applyChoice;
};
void SetBrowseListHooks(BrowseListHooks hooks);

// The hooks as the form engine calls them; without hooks installed they do
// nothing and return "" or 0.
std::int16_t ListStartKey(std::int16_t list, std::string& prefix, std::string& startKey);
std::string ListRowText(std::int16_t list);
std::int16_t ApplyListChoice(std::int16_t list, std::int16_t form, std::int16_t field);

// Opens list number list and returns in result 0 when an entry was chosen
// (its record is then the current record of the list's file, read again by
// position), else -1 or the status of that read.
void BrowseList(std::int16_t list, std::int16_t& result);

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

}  // namespace vela
