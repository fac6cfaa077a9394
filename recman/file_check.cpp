#include "recman/file_check.hpp"

#include <cstring>
#include <memory>

#include "recman/fault_guard.hpp"
#include "recman/key_order.hpp"
#include "recman/record_store.hpp"

namespace vela::recman {

namespace {

void Problem(CheckReport& report, std::string text) {
    // A badly damaged file would otherwise list every record.
    if (report.problems.size() < 50) report.problems.push_back(std::move(text));
}

void CheckIndexes(MDB_txn* txn, const RecordStore& store, CheckReport& report) {
    const std::vector<uint32_t> distinct = ReadDistinct(txn, store);
    for (std::size_t k = 0; k < store.keys.size(); ++k) {
        const KeyDefinition& key = store.layout.keys[k];
        const std::string name = "key " + std::to_string(k);
        MDB_cursor* cursor = nullptr;
        if (mdb_cursor_open(txn, store.keys[k], &cursor) != 0) {
            Problem(report, name + ": index unreadable");
            continue;
        }
        MDB_val entry, empty;
        std::string previousOrder;
        uint32_t values = 0;
        int rc = mdb_cursor_get(cursor, &entry, &empty, MDB_FIRST);
        for (; rc == 0; rc = mdb_cursor_get(cursor, &entry, &empty, MDB_NEXT)) {
            if (entry.mv_size < kEntryPositionSize) {
                Problem(report, name + ": malformed index entry");
                continue;
            }
            const std::size_t orderSize = entry.mv_size - kEntryPositionSize;
            const uint32_t position = EntryPosition(entry.mv_data, entry.mv_size);
            const std::string order(static_cast<const char*>(entry.mv_data), orderSize);
            if (values == 0 || order != previousOrder) {
                ++values;
            } else if (!key.duplicates) {
                Problem(report, name + ": duplicate value in a unique key at position " +
                                    std::to_string(position));
            }
            previousOrder = order;
            PositionKey positionKey(position);
            MDB_val record;
            if (mdb_get(txn, store.records, &positionKey.val, &record) != 0 ||
                record.mv_size != store.layout.recordLength) {
                Problem(report, name + ": entry for missing record " + std::to_string(position));
                continue;
            }
            std::string expected;
            const std::string value = KeyValueOf(key, static_cast<const uint8_t*>(record.mv_data));
            AppendOrderBytes(store.layout, key, reinterpret_cast<const uint8_t*>(value.data()),
                             expected);
            if (expected != order) {
                Problem(report, name + ": entry does not match record " + std::to_string(position));
            }
        }
        if (rc != MDB_NOTFOUND) Problem(report, name + ": index unreadable");
        if (k < distinct.size() && distinct[k] != values) {
            Problem(report, name + ": distinct value count " + std::to_string(distinct[k]) +
                                ", found " + std::to_string(values));
        }
        mdb_cursor_close(cursor);
    }
}

void CheckRecords(MDB_txn* txn, const RecordStore& store, CheckReport& report) {
    const uint32_t next = ReadNextPosition(txn, store);
    MDB_cursor* cursor = nullptr;
    if (mdb_cursor_open(txn, store.records, &cursor) != 0) {
        Problem(report, "records unreadable");
        return;
    }
    MDB_val positionVal, record;
    int rc = mdb_cursor_get(cursor, &positionVal, &record, MDB_FIRST);
    for (; rc == 0; rc = mdb_cursor_get(cursor, &positionVal, &record, MDB_NEXT)) {
        ++report.records;
        if (positionVal.mv_size != 4) {
            Problem(report, "malformed record position");
            continue;
        }
        const uint32_t position = EntryPosition(positionVal.mv_data, 4);
        if (position == 0 || position >= next) {
            Problem(report, "record " + std::to_string(position) + " beyond the next position");
        }
        if (record.mv_size != store.layout.recordLength) {
            Problem(report, "record " + std::to_string(position) + " has the wrong length");
            continue;
        }
        const auto* bytes = static_cast<const uint8_t*>(record.mv_data);
        for (std::size_t k = 0; k < store.keys.size(); ++k) {
            const KeyDefinition& key = store.layout.keys[k];
            const std::string value = KeyValueOf(key, bytes);
            const auto* valueBytes = reinterpret_cast<const uint8_t*>(value.data());
            if (IsNullKeyValue(key, valueBytes)) continue;
            std::string entry;
            AppendOrderBytes(store.layout, key, valueBytes, entry);
            AppendPosition(entry, position);
            MDB_val entryVal{entry.size(), entry.data()};
            MDB_val empty;
            if (mdb_get(txn, store.keys[k], &entryVal, &empty) != 0) {
                Problem(report, "record " + std::to_string(position) + " missing from key " +
                                    std::to_string(k));
            }
        }
    }
    if (rc != MDB_NOTFOUND) Problem(report, "records unreadable");
    mdb_cursor_close(cursor);
}

}  // namespace

CheckReport CheckRecordFile(const std::string& hostPath) {
    struct Work {
        std::string path;
        CheckReport report;
        std::shared_ptr<RecordStore> store;
    } work{hostPath, {}, nullptr};
    const bool finished = RunGuarded(
        [](void* argument) {
            Work& w = *static_cast<Work*>(argument);
            w.report.status = AcquireStore(w.path, w.store);
            if (w.report.status != 0) return;
            MDB_txn* txn = ReadSnapshot(*w.store, w.report.status);
            if (txn == nullptr) return;
            CheckRecords(txn, *w.store, w.report);
            CheckIndexes(txn, *w.store, w.report);
        },
        &work);
    if (!finished) {
        MarkStoreBeingLoadedDamaged();
        if (work.store) work.store->damaged = true;
        work.report.status = 0;
        Problem(work.report, "a page leads outside the file");
    }
    return work.report;
}

}  // namespace vela::recman
