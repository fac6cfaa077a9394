// The entry point: a table of this process's openings, the position blocks
// that name them, and one function per operation.
#include "recman/record_manager.hpp"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/host_path.hpp"
#include "recman/fault_guard.hpp"
#include "recman/key_order.hpp"
#include "recman/record_locks.hpp"
#include "recman/record_store.hpp"

namespace vela {

namespace {

using recman::KeyDefinition;
using recman::RecordStore;

constexpr uint8_t kBlockMagic[4] = {'R', 'M', 'P', 'B'};
constexpr std::size_t kMaxOwnerLength = 8;

// One opening of a file through one position block.
struct Opening {
    uint64_t serial = 0;
    pid_t pid = 0;
    std::shared_ptr<RecordStore> store;
    recman::RecordLocks locks;
    bool readOnly = false;

    // Currency: the record last established, along keyNumber (-1: by a
    // physical step, so no key position), with its index entry.
    bool hasCurrent = false;
    bool recordExists = false;
    int keyNumber = -1;
    uint32_t position = 0;
    std::string entry;

    // A cursor kept on the shared snapshot while it stays current, so that a
    // run of Get Next or Get Previous steps without searching the index.
    MDB_cursor* cursor = nullptr;
    int cursorKey = -1;
    uint64_t cursorGeneration = 0;
    bool cursorAtCurrent = false;

    std::string scratch;

    ~Opening() {
        if (cursor != nullptr && pid == getpid() && !store->damaged) mdb_cursor_close(cursor);
    }
};

// The store the current call works on, given up if the engine faults.
RecordStore* touchedStore = nullptr;

struct Table {
    pid_t pid = getpid();
    uint64_t nextSerial = 1;
    std::vector<std::unique_ptr<Opening>> openings;
};

// Set in a child process right after fork. Checked instead of asking the
// kernel for the process id on every call, which would cost more than a
// cursor step.
std::atomic<bool> forked{false};

void OnForkChild() {
    forked = true;
    recman::ForgetWriterLocks();
}

Table& Openings() {
    static auto* table = [] {
        pthread_atfork(nullptr, nullptr, OnForkChild);
        return new Table;
    }();
    // After a fork the child starts with no openings: the parent's engine
    // state and lock descriptions stay the parent's.
    if (forked.exchange(false) && table->pid != getpid()) {
        for (auto& opening : table->openings) (void)opening.release();
        table->openings.clear();
        table->pid = getpid();
        recman::ForgetInheritedStores();
    }
    return *table;
}

void PutLe32(uint8_t* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetLe32(const uint8_t* in) {
    return uint32_t{in[0]} | (uint32_t{in[1]} << 8) | (uint32_t{in[2]} << 16) |
           (uint32_t{in[3]} << 24);
}

Opening* Find(const uint8_t* block) {
    if (block == nullptr || std::memcmp(block, kBlockMagic, 4) != 0) return nullptr;
    Table& table = Openings();
    const uint32_t index = GetLe32(block + 4);
    uint64_t serial;
    std::memcpy(&serial, block + 8, sizeof serial);
    if (index >= table.openings.size()) return nullptr;
    Opening* opening = table.openings[index].get();
    return opening != nullptr && opening->serial == serial ? opening : nullptr;
}

void CloseOpening(Table& table, std::size_t index) {
    Opening* opening = table.openings[index].get();
    if (opening == nullptr) return;
    opening->locks.Close();
    table.openings[index].reset();
}

// The arguments of one call.
struct Call {
    uint16_t operation;
    bool lock;
    bool wait;
    uint8_t* data;
    uint16_t* dataLength;
    uint8_t* key;
    uint8_t keyLength;
    int8_t keyNumber;

    uint16_t DataLength() const { return dataLength != nullptr ? *dataLength : 0; }
};

std::string PathFrom(const uint8_t* bytes, std::size_t maxLength) {
    const char* text = reinterpret_cast<const char*>(bytes);
    return std::string(text, strnlen(text, maxLength));
}

// Copies a record to the caller's data buffer: as much as fits; 22 when it
// does not all fit.
int16_t CopyRecord(const Call& call, const MDB_val& record) {
    const std::size_t room = call.DataLength();
    const std::size_t count = std::min(room, record.mv_size);
    if (count > 0) std::memcpy(call.data, record.mv_data, count);
    *call.dataLength = static_cast<uint16_t>(count);
    return record.mv_size > room ? kStatusDataBufferLength : kStatusOk;
}

void CopyKeyValue(const Call& call, const KeyDefinition& key, const uint8_t* record) {
    uint8_t* out = call.key;
    for (const recman::KeySegment& segment : key.segments) {
        std::memcpy(out, record + segment.position - 1, segment.length);
        out += segment.length;
    }
}

void EntryOf(const RecordStore& store, const KeyDefinition& key, const uint8_t* record,
             uint32_t position, std::string& entry) {
    const std::string value = recman::KeyValueOf(key, record);
    entry.clear();
    recman::AppendOrderBytes(store.layout, key, reinterpret_cast<const uint8_t*>(value.data()),
                             entry);
    recman::AppendPosition(entry, position);
}

enum class LockOutcome {
    kRead,       // go on with the record found
    kLookAgain,  // the lock was taken just now: read the record again
    kFailed,     // status says why
};

// Takes the record lock a biased read asks for, once the read has found the
// record at position in its snapshot. A lock taken just now (after a wait,
// or not) sends the read round again, so that the record the caller gets is
// read under the lock: a writer that changed it and let go of it just
// before is then seen. A lock this opening held before the read needs no
// second look: no one else can have changed the record meanwhile, and the
// snapshot is renewed by every operation after another commit.
LockOutcome LockFor(Opening& opening, const Call& call, uint32_t position, int16_t& status) {
    status = kStatusOk;
    if (!call.lock || opening.locks.lockedPosition() == position) return LockOutcome::kRead;
    status = opening.locks.LockRecord(position, false);
    if (status == kStatusOk) return LockOutcome::kLookAgain;
    if (call.wait && (status == kStatusRecordInUse || status == kStatusFileInUse)) {
        status = opening.locks.LockRecord(position, true);
        if (status == kStatusOk) return LockOutcome::kLookAgain;
    }
    return LockOutcome::kFailed;
}

void SetCurrent(Opening& opening, int keyNumber, uint32_t position) {
    opening.hasCurrent = true;
    opening.recordExists = true;
    opening.keyNumber = keyNumber;
    opening.position = position;
}

MDB_cursor* CursorFor(Opening& opening, MDB_txn* txn, int keyNumber, bool& temporary) {
    RecordStore& store = *opening.store;
    MDB_cursor* cursor = nullptr;
    if (txn != store.readTxn) {
        temporary = true;
        return mdb_cursor_open(txn, store.keys[keyNumber], &cursor) == 0 ? cursor : nullptr;
    }
    temporary = false;
    if (opening.cursor != nullptr && opening.cursorKey == keyNumber) {
        if (opening.cursorGeneration != store.generation) {
            if (mdb_cursor_renew(txn, opening.cursor) != 0) return nullptr;
            opening.cursorGeneration = store.generation;
            opening.cursorAtCurrent = false;
        }
        return opening.cursor;
    }
    if (opening.cursor != nullptr) mdb_cursor_close(opening.cursor);
    opening.cursor = nullptr;
    opening.cursorAtCurrent = false;
    if (mdb_cursor_open(txn, store.keys[keyNumber], &opening.cursor) != 0) return nullptr;
    opening.cursorKey = keyNumber;
    opening.cursorGeneration = store.generation;
    return opening.cursor;
}

// Order bytes of the caller's key value, with a tail that sorts before (0)
// or after (0xFF) every entry of that value.
void SearchKey(const RecordStore& store, const KeyDefinition& key, const uint8_t* value, bool after,
               std::string& out) {
    out.clear();
    recman::AppendOrderBytes(store.layout, key, value, out);
    if (after) out.append(5, '\xFF');
}

// Moves cursor to the entry an operation asks for; MDB_NOTFOUND when there
// is none.
int Seek(Opening& opening, MDB_cursor* cursor, const Call& call, const KeyDefinition& key,
         bool temporary, MDB_val& found) {
    const RecordStore& store = *opening.store;
    std::string& target = opening.scratch;
    MDB_val data;
    auto seekRange = [&](const std::string& bytes) {
        found = MDB_val{bytes.size(), const_cast<char*>(bytes.data())};
        return mdb_cursor_get(cursor, &found, &data, MDB_SET_RANGE);
    };
    // The last entry before target.
    auto seekBefore = [&](const std::string& bytes) {
        int rc = seekRange(bytes);
        if (rc == MDB_NOTFOUND) return mdb_cursor_get(cursor, &found, &data, MDB_LAST);
        if (rc != 0) return rc;
        return mdb_cursor_get(cursor, &found, &data, MDB_PREV);
    };
    switch (call.operation) {
        case kOpGetEqual:
        case kOpGetGreaterOrEqual:
            SearchKey(store, key, call.key, false, target);
            return seekRange(target);
        case kOpGetGreater:
            SearchKey(store, key, call.key, true, target);
            return seekRange(target);
        case kOpGetLess:
            SearchKey(store, key, call.key, false, target);
            return seekBefore(target);
        case kOpGetLessOrEqual:
            SearchKey(store, key, call.key, true, target);
            return seekBefore(target);
        case kOpGetFirst:
            return mdb_cursor_get(cursor, &found, &data, MDB_FIRST);
        case kOpGetLast:
            return mdb_cursor_get(cursor, &found, &data, MDB_LAST);
        case kOpGetNext:
            if (!temporary && opening.cursorAtCurrent) {
                return mdb_cursor_get(cursor, &found, &data, MDB_NEXT);
            } else {
                int rc = seekRange(opening.entry);
                if (rc != 0) return rc;
                if (found.mv_size == opening.entry.size() &&
                    std::memcmp(found.mv_data, opening.entry.data(), found.mv_size) == 0) {
                    return mdb_cursor_get(cursor, &found, &data, MDB_NEXT);
                }
                return 0;
            }
        case kOpGetPrevious:
            if (!temporary && opening.cursorAtCurrent) {
                return mdb_cursor_get(cursor, &found, &data, MDB_PREV);
            }
            return seekBefore(opening.entry);
        default:
            return MDB_NOTFOUND;
    }
}

int16_t GetByKey(Opening& opening, const Call& call) {
    RecordStore& store = *opening.store;
    const int keyNumber = call.keyNumber;
    if (keyNumber < 0 || keyNumber >= static_cast<int>(store.layout.keys.size())) {
        return kStatusInvalidKeyNumber;
    }
    const KeyDefinition& key = store.layout.keys[keyNumber];
    if (call.keyLength < key.length) return kStatusKeyBufferTooShort;
    const bool stepping = call.operation == kOpGetNext || call.operation == kOpGetPrevious;
    if (stepping) {
        if (!opening.hasCurrent || opening.keyNumber < 0) return kStatusInvalidPositioning;
        if (keyNumber != opening.keyNumber) return kStatusDifferentKeyNumber;
    }
    if (!call.lock) opening.locks.UnlockRecord();
    for (;;) {
        int16_t status;
        MDB_txn* txn = recman::ReadSnapshot(store, status);
        if (txn == nullptr) return status;
        bool temporary = false;
        MDB_cursor* cursor = CursorFor(opening, txn, keyNumber, temporary);
        if (cursor == nullptr) return kStatusIoError;
        MDB_val found{};
        int rc = Seek(opening, cursor, call, key, temporary, found);
        if (!temporary) opening.cursorAtCurrent = false;
        if (rc == 0 && call.operation == kOpGetEqual) {
            const std::string& target = opening.scratch;
            if (found.mv_size != target.size() + recman::kEntryPositionSize ||
                std::memcmp(found.mv_data, target.data(), target.size()) != 0) {
                rc = MDB_NOTFOUND;
            }
        }
        if (rc != 0) {
            if (temporary) mdb_cursor_close(cursor);
            if (rc != MDB_NOTFOUND) return recman::StatusOfEngineError(rc);
            return call.operation == kOpGetEqual ? kStatusKeyNotFound : kStatusEndOfFile;
        }
        const uint32_t position = recman::EntryPosition(found.mv_data, found.mv_size);
        recman::PositionKey positionKey(position);
        MDB_val record;
        rc = mdb_get(txn, store.records, &positionKey.val, &record);
        if (rc != 0 || record.mv_size != store.layout.recordLength) {
            if (temporary) mdb_cursor_close(cursor);
            return kStatusIoError;  // an index entry without its record
        }
        if (const LockOutcome lock = LockFor(opening, call, position, status);
            lock != LockOutcome::kRead) {
            if (temporary) mdb_cursor_close(cursor);
            if (lock == LockOutcome::kLookAgain) continue;
            return status;
        }
        opening.entry.assign(static_cast<const char*>(found.mv_data), found.mv_size);
        if (temporary) {
            mdb_cursor_close(cursor);
        } else {
            opening.cursorAtCurrent = true;
        }
        SetCurrent(opening, keyNumber, position);
        CopyKeyValue(call, key, static_cast<const uint8_t*>(record.mv_data));
        return CopyRecord(call, record);
    }
}

int16_t GetDirect(Opening& opening, const Call& call) {
    RecordStore& store = *opening.store;
    if (call.DataLength() < 4) return kStatusDataBufferLength;
    const int keyNumber = call.keyNumber;
    if (keyNumber < 0 || keyNumber >= static_cast<int>(store.layout.keys.size())) {
        return kStatusInvalidKeyNumber;
    }
    const KeyDefinition& key = store.layout.keys[keyNumber];
    if (call.keyLength < key.length) return kStatusKeyBufferTooShort;
    const uint32_t position = GetLe32(call.data);
    if (position == 0) return kStatusInvalidRecordAddress;
    if (!call.lock) opening.locks.UnlockRecord();
    for (;;) {
        int16_t status;
        MDB_txn* txn = recman::ReadSnapshot(store, status);
        if (txn == nullptr) return status;
        recman::PositionKey positionKey(position);
        MDB_val record;
        const int rc = mdb_get(txn, store.records, &positionKey.val, &record);
        if (rc == MDB_NOTFOUND) return kStatusInvalidRecordAddress;
        if (rc != 0 || record.mv_size != store.layout.recordLength) return kStatusIoError;
        if (const LockOutcome lock = LockFor(opening, call, position, status);
            lock != LockOutcome::kRead) {
            if (lock == LockOutcome::kLookAgain) continue;
            return status;
        }
        const auto* bytes = static_cast<const uint8_t*>(record.mv_data);
        EntryOf(store, key, bytes, position, opening.entry);
        opening.cursorAtCurrent = false;
        SetCurrent(opening, keyNumber, position);
        CopyKeyValue(call, key, bytes);
        return CopyRecord(call, record);
    }
}

int16_t Step(Opening& opening, const Call& call) {
    RecordStore& store = *opening.store;
    const bool relative = call.operation == kOpStepNext || call.operation == kOpStepPrevious;
    if (relative && !opening.hasCurrent) return kStatusInvalidPositioning;
    if (!call.lock) opening.locks.UnlockRecord();
    for (;;) {
        int16_t status;
        MDB_txn* txn = recman::ReadSnapshot(store, status);
        if (txn == nullptr) return status;
        MDB_cursor* cursor = nullptr;
        if (mdb_cursor_open(txn, store.records, &cursor) != 0) return kStatusIoError;
        MDB_val found, record;
        int rc;
        if (call.operation == kOpStepFirst) {
            rc = mdb_cursor_get(cursor, &found, &record, MDB_FIRST);
        } else if (call.operation == kOpStepLast) {
            rc = mdb_cursor_get(cursor, &found, &record, MDB_LAST);
        } else if (call.operation == kOpStepNext) {
            recman::PositionKey after(opening.position + 1);
            found = after.val;
            rc = opening.position == UINT32_MAX
                     ? MDB_NOTFOUND
                     : mdb_cursor_get(cursor, &found, &record, MDB_SET_RANGE);
        } else {
            recman::PositionKey at(opening.position);
            found = at.val;
            rc = mdb_cursor_get(cursor, &found, &record, MDB_SET_RANGE);
            rc = rc == MDB_NOTFOUND
                     ? mdb_cursor_get(cursor, &found, &record, MDB_LAST)
                     : (rc == 0 ? mdb_cursor_get(cursor, &found, &record, MDB_PREV) : rc);
        }
        mdb_cursor_close(cursor);
        if (rc == MDB_NOTFOUND) return kStatusEndOfFile;
        if (rc != 0 || found.mv_size != 4) return recman::StatusOfEngineError(rc ? rc : EIO);
        const uint32_t position = recman::EntryPosition(found.mv_data, 4);
        if (const LockOutcome lock = LockFor(opening, call, position, status);
            lock != LockOutcome::kRead) {
            if (lock == LockOutcome::kLookAgain) continue;
            return status;
        }
        opening.cursorAtCurrent = false;
        SetCurrent(opening, -1, position);
        opening.entry.clear();
        return CopyRecord(call, record);
    }
}

// Whether an index holds an entry with these order bytes, other than the
// one of the record at position skip.
int PrefixExists(MDB_txn* txn, MDB_dbi dbi, const std::string& order, uint32_t skip, bool& exists) {
    exists = false;
    MDB_cursor* cursor = nullptr;
    int rc = mdb_cursor_open(txn, dbi, &cursor);
    if (rc != 0) return rc;
    MDB_val key{order.size(), const_cast<char*>(order.data())};
    MDB_val data;
    rc = mdb_cursor_get(cursor, &key, &data, MDB_SET_RANGE);
    while (rc == 0 && key.mv_size == order.size() + recman::kEntryPositionSize &&
           std::memcmp(key.mv_data, order.data(), order.size()) == 0) {
        if (recman::EntryPosition(key.mv_data, key.mv_size) != skip) {
            exists = true;
            break;
        }
        rc = mdb_cursor_get(cursor, &key, &data, MDB_NEXT);
    }
    mdb_cursor_close(cursor);
    return rc == MDB_NOTFOUND ? 0 : rc;
}

// The order bytes of every key of a record; empty for a null key left out
// of its index.
std::vector<std::string> OrdersOf(const RecordStore& store, const uint8_t* record,
                                  std::vector<bool>& indexed) {
    std::vector<std::string> orders(store.layout.keys.size());
    indexed.assign(store.layout.keys.size(), true);
    for (std::size_t k = 0; k < orders.size(); ++k) {
        const KeyDefinition& key = store.layout.keys[k];
        const std::string value = recman::KeyValueOf(key, record);
        const auto* bytes = reinterpret_cast<const uint8_t*>(value.data());
        indexed[k] = !recman::IsNullKeyValue(key, bytes);
        recman::AppendOrderBytes(store.layout, key, bytes, orders[k]);
    }
    return orders;
}

int PutEntry(MDB_txn* txn, MDB_dbi dbi, const std::string& order, uint32_t position) {
    std::string entry = order;
    recman::AppendPosition(entry, position);
    MDB_val key{entry.size(), entry.data()};
    MDB_val empty{0, nullptr};
    return mdb_put(txn, dbi, &key, &empty, 0);
}

int DeleteEntry(MDB_txn* txn, MDB_dbi dbi, const std::string& order, uint32_t position) {
    std::string entry = order;
    recman::AppendPosition(entry, position);
    MDB_val key{entry.size(), entry.data()};
    const int rc = mdb_del(txn, dbi, &key, nullptr);
    return rc == MDB_NOTFOUND ? 0 : rc;
}

int16_t CheckWritable(const Opening& opening) {
    return opening.readOnly || opening.store->readOnly ? kStatusAccessDenied : kStatusOk;
}

// After a write the kept cursor no longer stands on the current entry.
void AfterWrite(Opening& opening) { opening.cursorAtCurrent = false; }

int16_t Insert(Opening& opening, const Call& call) {
    RecordStore& store = *opening.store;
    if (int16_t status = CheckWritable(opening); status != 0) return status;
    if (call.DataLength() != store.layout.recordLength) return kStatusDataBufferLength;
    const int keyNumber = call.keyNumber;
    if (keyNumber < 0 || keyNumber >= static_cast<int>(store.layout.keys.size())) {
        return kStatusInvalidKeyNumber;
    }
    const KeyDefinition& currentKey = store.layout.keys[keyNumber];
    if (call.keyLength < currentKey.length) return kStatusKeyBufferTooShort;

    std::vector<bool> indexed;
    const std::vector<std::string> orders = OrdersOf(store, call.data, indexed);
    // Every refusal of an insert comes before its first change.
    recman::WriteScope scope(store, recman::WriteScope::Nesting::kDirect);
    if (scope.status() != 0) return scope.status();
    MDB_txn* txn = scope.txn();
    std::vector<uint32_t> distinct = recman::ReadDistinct(txn, store);
    int16_t status = kStatusOk;
    for (std::size_t k = 0; k < orders.size() && status == 0; ++k) {
        if (!indexed[k]) continue;
        bool exists = false;
        if (int rc = PrefixExists(txn, store.keys[k], orders[k], 0, exists); rc != 0) {
            status = recman::StatusOfEngineError(rc);
        } else if (exists && !store.layout.keys[k].duplicates) {
            status = kStatusDuplicateKey;
        } else if (!exists) {
            ++distinct[k];
        }
    }
    const uint32_t position = recman::ReadNextPosition(txn, store);
    if (status == 0 && (position == 0 || position == UINT32_MAX)) status = kStatusDiskFull;
    if (status == 0) {
        recman::PositionKey positionKey(position);
        MDB_val record{store.layout.recordLength, call.data};
        int rc = mdb_put(txn, store.records, &positionKey.val, &record, MDB_NOOVERWRITE);
        for (std::size_t k = 0; rc == 0 && k < orders.size(); ++k) {
            if (indexed[k]) rc = PutEntry(txn, store.keys[k], orders[k], position);
        }
        status = recman::StatusOfEngineError(rc);
    }
    if (status == 0) status = recman::WriteNextPosition(txn, store, position + 1);
    if (status == 0) status = recman::WriteDistinct(txn, store, distinct);
    status = scope.Finish(status);
    if (status != 0) return status;
    AfterWrite(opening);
    opening.entry = orders[keyNumber];
    recman::AppendPosition(opening.entry, position);
    SetCurrent(opening, keyNumber, position);
    CopyKeyValue(call, currentKey, call.data);
    return kStatusOk;
}

// The hold on a record that Update or Delete changes, so that no other
// opening changes it at the same time or locks it and reads it from before
// the change: taken before the write, let go when the write is over, or,
// inside an explicit transaction, when the transaction ends (its changes
// are not seen by others before then).
class WriteHold {
  public:
    explicit WriteHold(Opening& opening) : opening_(opening) {}
    ~WriteHold() {
        if (opening_.store->writeTxn == nullptr) opening_.locks.ReleaseWriteHolds();
    }
    WriteHold(const WriteHold&) = delete;
    WriteHold& operator=(const WriteHold&) = delete;
    // 0, or 84 (85) when another opening holds the record (the file).
    int16_t Take(uint32_t position) { return opening_.locks.HoldForWrite(position); }

  private:
    Opening& opening_;
};

// The record stored at a position, as it stands before a write changes it:
// 8 when it is gone, 2 when it is not a whole record.
int16_t ReadStoredRecord(MDB_txn* txn, const RecordStore& store, recman::PositionKey& positionKey,
                         std::vector<uint8_t>& record) {
    MDB_val stored;
    const int rc = mdb_get(txn, store.records, &positionKey.val, &stored);
    if (rc == MDB_NOTFOUND) return kStatusInvalidPositioning;
    if (rc != 0 || stored.mv_size != store.layout.recordLength) return kStatusIoError;
    const auto* bytes = static_cast<const uint8_t*>(stored.mv_data);
    record.assign(bytes, bytes + stored.mv_size);
    return kStatusOk;
}

int16_t Update(Opening& opening, const Call& call) {
    RecordStore& store = *opening.store;
    if (int16_t status = CheckWritable(opening); status != 0) return status;
    if (!opening.hasCurrent || !opening.recordExists) return kStatusInvalidPositioning;
    if (call.DataLength() != store.layout.recordLength) return kStatusDataBufferLength;
    if (opening.keyNumber >= 0 && call.keyLength < store.layout.keys[opening.keyNumber].length) {
        return kStatusKeyBufferTooShort;
    }
    const uint32_t position = opening.position;
    WriteHold hold(opening);
    if (int16_t status = hold.Take(position); status != 0) return status;
    recman::WriteScope scope(store);
    if (scope.status() != 0) return scope.status();
    MDB_txn* txn = scope.txn();
    recman::PositionKey positionKey(position);
    std::vector<uint8_t> oldRecord;
    if (int16_t status = ReadStoredRecord(txn, store, positionKey, oldRecord); status != 0) {
        return scope.Finish(status);
    }
    int rc = 0;
    std::vector<bool> oldIndexed, newIndexed;
    const std::vector<std::string> oldOrders = OrdersOf(store, oldRecord.data(), oldIndexed);
    const std::vector<std::string> newOrders = OrdersOf(store, call.data, newIndexed);
    std::vector<uint32_t> distinct = recman::ReadDistinct(txn, store);
    int16_t status = kStatusOk;
    for (std::size_t k = 0; k < oldOrders.size() && status == 0; ++k) {
        const KeyDefinition& key = store.layout.keys[k];
        const bool changed =
            recman::KeyValueOf(key, oldRecord.data()) != recman::KeyValueOf(key, call.data);
        if (!changed) continue;
        if (!key.modifiable) {
            status = kStatusModifiableKey;
            break;
        }
        if (oldOrders[k] == newOrders[k] && oldIndexed[k] == newIndexed[k]) continue;
        bool exists = false;
        if (oldIndexed[k]) {
            rc = DeleteEntry(txn, store.keys[k], oldOrders[k], position);
            if (rc == 0) rc = PrefixExists(txn, store.keys[k], oldOrders[k], position, exists);
            if (rc == 0 && !exists) --distinct[k];
        }
        if (rc == 0 && newIndexed[k]) {
            rc = PrefixExists(txn, store.keys[k], newOrders[k], position, exists);
            if (rc == 0 && exists && !key.duplicates) {
                status = kStatusDuplicateKey;
                break;
            }
            if (rc == 0 && !exists) ++distinct[k];
            if (rc == 0) rc = PutEntry(txn, store.keys[k], newOrders[k], position);
        }
        status = recman::StatusOfEngineError(rc);
    }
    if (status == 0) {
        MDB_val record{store.layout.recordLength, call.data};
        status =
            recman::StatusOfEngineError(mdb_put(txn, store.records, &positionKey.val, &record, 0));
    }
    if (status == 0) status = recman::WriteDistinct(txn, store, distinct);
    status = scope.Finish(status);
    if (status != 0) return status;
    AfterWrite(opening);
    if (opening.locks.lockedPosition() == position) opening.locks.UnlockRecord();
    if (opening.keyNumber >= 0) {
        opening.entry = newOrders[opening.keyNumber];
        recman::AppendPosition(opening.entry, position);
        CopyKeyValue(call, store.layout.keys[opening.keyNumber], call.data);
    }
    return kStatusOk;
}

int16_t Delete(Opening& opening) {
    RecordStore& store = *opening.store;
    if (int16_t status = CheckWritable(opening); status != 0) return status;
    if (!opening.hasCurrent || !opening.recordExists) return kStatusInvalidPositioning;
    const uint32_t position = opening.position;
    WriteHold hold(opening);
    if (int16_t status = hold.Take(position); status != 0) return status;
    recman::WriteScope scope(store);
    if (scope.status() != 0) return scope.status();
    MDB_txn* txn = scope.txn();
    recman::PositionKey positionKey(position);
    std::vector<uint8_t> oldRecord;
    if (int16_t status = ReadStoredRecord(txn, store, positionKey, oldRecord); status != 0) {
        return scope.Finish(status);
    }
    int rc = 0;
    std::vector<bool> indexed;
    const std::vector<std::string> orders = OrdersOf(store, oldRecord.data(), indexed);
    std::vector<uint32_t> distinct = recman::ReadDistinct(txn, store);
    rc = mdb_del(txn, store.records, &positionKey.val, nullptr);
    for (std::size_t k = 0; rc == 0 && k < orders.size(); ++k) {
        if (!indexed[k]) continue;
        bool exists = false;
        rc = DeleteEntry(txn, store.keys[k], orders[k], position);
        if (rc == 0) rc = PrefixExists(txn, store.keys[k], orders[k], position, exists);
        if (rc == 0 && !exists && distinct[k] > 0) --distinct[k];
    }
    int16_t status = recman::StatusOfEngineError(rc);
    if (status == 0) status = recman::WriteDistinct(txn, store, distinct);
    status = scope.Finish(status);
    if (status != 0) return status;
    AfterWrite(opening);
    if (opening.locks.lockedPosition() == position) opening.locks.UnlockRecord();
    // The index entry stays as the position, so Get Next and Get Previous go
    // on from where the record was.
    opening.recordExists = false;
    return kStatusOk;
}

int16_t Stat(Opening& opening, const Call& call) {
    RecordStore& store = *opening.store;
    int16_t status;
    MDB_txn* txn = recman::ReadSnapshot(store, status);
    if (txn == nullptr) return status;
    // The layer asks for Stat before every keyed read; the counts change only
    // with the snapshot.
    if (txn != store.readTxn || store.statGeneration != store.generation ||
        store.statCache.empty()) {
        MDB_stat info;
        if (mdb_stat(txn, store.records, &info) != 0) return kStatusIoError;
        const std::vector<uint32_t> distinct = recman::ReadDistinct(txn, store);
        store.statCache =
            recman::StatBuffer(store.layout, static_cast<uint32_t>(info.ms_entries), distinct);
        store.statGeneration = txn == store.readTxn ? store.generation : 0;
    }
    const std::vector<uint8_t>& buffer = store.statCache;
    const std::size_t room = call.DataLength();
    const std::size_t count = std::min(room, buffer.size());
    std::memcpy(call.data, buffer.data(), count);
    *call.dataLength = static_cast<uint16_t>(count);
    return buffer.size() > room ? kStatusDataBufferLength : kStatusOk;
}

int16_t GetPosition(Opening& opening, const Call& call) {
    if (!opening.hasCurrent || !opening.recordExists) return kStatusInvalidPositioning;
    if (call.DataLength() < 4) return kStatusDataBufferLength;
    PutLe32(call.data, opening.position);
    *call.dataLength = 4;
    return kStatusOk;
}

int16_t Open(Table& table, uint8_t* block, const Call& call) {
    if (Find(block) != nullptr) return kStatusFileInUse;
    if (call.key == nullptr) return kStatusFileNotFound;
    const int8_t mode = call.keyNumber;
    if (mode < kOpenExclusive || mode > 0) return kStatusInvalidOperation;
    const std::string path = ResolveHostPath(PathFrom(call.key, call.keyLength));
    if (path.empty()) return kStatusFileNotFound;
    auto opening = std::make_unique<Opening>();
    int16_t status = recman::AcquireStore(path, opening->store);
    if (status != 0) return status;
    RecordStore& store = *opening->store;
    touchedStore = &store;
    MDB_txn* txn = recman::ReadSnapshot(store, status);
    if (txn == nullptr) return status;
    const std::string owner = recman::ReadOwner(txn, store);
    if (!owner.empty()) {
        std::string given;
        if (call.data != nullptr) {
            const char* text = reinterpret_cast<const char*>(call.data);
            given.assign(text, strnlen(text, call.DataLength()));
        }
        if (given != owner) return kStatusInvalidOwner;
    }
    status = opening->locks.Open(path, mode == kOpenExclusive);
    if (status != 0) return status;
    opening->readOnly = mode == kOpenReadOnly;
    opening->pid = getpid();
    opening->serial = table.nextSerial++;
    std::size_t index = 0;
    while (index < table.openings.size() && table.openings[index] != nullptr) ++index;
    if (index == table.openings.size()) table.openings.emplace_back();
    std::memset(block, 0, kPositionBlockSize);
    std::memcpy(block, kBlockMagic, 4);
    PutLe32(block + 4, static_cast<uint32_t>(index));
    std::memcpy(block + 8, &opening->serial, sizeof opening->serial);
    table.openings[index] = std::move(opening);
    return kStatusOk;
}

int16_t Create(const Call& call) {
    if (call.key == nullptr || call.data == nullptr) return kStatusInvalidOperation;
    recman::FileLayout layout;
    const int16_t status = recman::ParseFileLayout({call.data, call.DataLength()}, layout);
    if (status != 0) return status;
    const std::string path = ResolveHostPath(PathFrom(call.key, call.keyLength));
    if (path.empty()) return kStatusFileNotFound;
    const bool replace = call.keyNumber != -1;
    if (replace && (recman::StoreIsOpen(path) || !recman::RecordLocks::FileIsFree(path))) {
        return kStatusFileInUse;
    }
    return recman::CreateStoreFile(path, layout, replace);
}

int16_t SetOwner(Opening& opening, const Call& call, bool clear) {
    if (int16_t status = CheckWritable(opening); status != 0) return status;
    std::string owner;
    if (!clear) {
        if (call.data == nullptr) return kStatusInvalidOwner;
        owner.assign(reinterpret_cast<const char*>(call.data),
                     strnlen(reinterpret_cast<const char*>(call.data), call.DataLength()));
        if (owner.empty() || owner.size() > kMaxOwnerLength) return kStatusInvalidOwner;
    }
    recman::WriteScope scope(*opening.store);
    if (scope.status() != 0) return scope.status();
    return scope.Finish(recman::WriteOwner(scope.txn(), *opening.store, owner));
}

int16_t Transaction(Table& table, Opening& opening, uint16_t operation) {
    RecordStore& store = *opening.store;
    if (operation == kOpBeginTransaction) {
        if (store.writeTxn != nullptr) return kStatusTransactionActive;
        if (int16_t status = CheckWritable(opening); status != 0) return status;
        recman::ReleaseSnapshot(store);
        const int rc = mdb_txn_begin(store.env, nullptr, 0, &store.writeTxn);
        if (rc != 0) {
            store.writeTxn = nullptr;
        } else {
            recman::NoteWriterLockTaken();
        }
        return recman::StatusOfEngineError(rc);
    }
    if (store.writeTxn == nullptr) return kStatusNoTransaction;
    MDB_txn* txn = store.writeTxn;
    store.writeTxn = nullptr;
    int rc = 0;
    if (operation == kOpAbortTransaction) {
        mdb_txn_abort(txn);
    } else {
        rc = mdb_txn_commit(txn);
    }
    recman::NoteWriterLockReleased();
    for (const auto& other : table.openings) {
        if (other != nullptr && other->store == opening.store) other->locks.ReleaseWriteHolds();
    }
    return recman::StatusOfEngineError(rc);
}

bool IsKeyedRead(uint16_t operation) {
    return (operation >= kOpGetEqual && operation <= kOpGetLast);
}

bool IsStep(uint16_t operation) {
    return operation == kOpStepNext || operation == kOpStepPrevious || operation == kOpStepFirst ||
           operation == kOpStepLast;
}

}  // namespace

static int16_t Dispatch(uint16_t operation, uint8_t* positionBlock, void* data,
                        uint16_t* dataLength, void* keyBuffer, uint8_t keyLength,
                        int8_t keyNumber) {
    Table& table = Openings();
    Call call{operation,  false,
              false,      static_cast<uint8_t*>(data),
              dataLength, static_cast<uint8_t*>(keyBuffer),
              keyLength,  keyNumber};
    if (operation >= kLockNoWaitBias && operation < kLockNoWaitBias + 100) {
        call.operation = operation - kLockNoWaitBias;
        call.lock = true;
    } else if (operation >= kLockWaitBias && operation < kLockWaitBias + 100) {
        call.operation = operation - kLockWaitBias;
        call.lock = call.wait = true;
    }
    const bool isRead =
        IsKeyedRead(call.operation) || IsStep(call.operation) || call.operation == kOpGetDirect;
    if (call.lock && !isRead) return kStatusInvalidOperation;

    switch (call.operation) {
        case kOpOpen:
            return Open(table, positionBlock, call);
        case kOpCreate:
            return Create(call);
        case kOpReset:
            for (std::size_t i = 0; i < table.openings.size(); ++i) CloseOpening(table, i);
            table.openings.clear();
            return kStatusOk;
        default:
            break;
    }
    Opening* opening = Find(positionBlock);
    if (opening == nullptr) return kStatusFileNotOpen;
    if (opening->store->damaged && call.operation != kOpClose) return kStatusIoError;
    touchedStore = opening->store.get();
    if ((isRead || call.operation == kOpInsert || call.operation == kOpUpdate ||
         call.operation == kOpStat || call.operation == kOpGetPosition) &&
        (call.dataLength == nullptr || call.data == nullptr)) {
        return kStatusDataBufferLength;
    }
    if (IsKeyedRead(call.operation) && call.key == nullptr) return kStatusKeyBufferTooShort;
    switch (call.operation) {
        case kOpClose:
            CloseOpening(table, GetLe32(positionBlock + 4));
            std::memset(positionBlock, 0, kPositionBlockSize);
            return kStatusOk;
        case kOpInsert:
            return Insert(*opening, call);
        case kOpUpdate:
            return Update(*opening, call);
        case kOpDelete:
            return Delete(*opening);
        case kOpStat:
            return Stat(*opening, call);
        case kOpBeginTransaction:
        case kOpEndTransaction:
        case kOpAbortTransaction:
            return Transaction(table, *opening, call.operation);
        case kOpGetPosition:
            return GetPosition(*opening, call);
        case kOpGetDirect:
            return GetDirect(*opening, call);
        case kOpUnlock:
            opening->locks.UnlockRecord();
            return kStatusOk;
        case kOpSetOwner:
            return SetOwner(*opening, call, false);
        case kOpClearOwner:
            return SetOwner(*opening, call, true);
        default:
            break;
    }
    if (IsKeyedRead(call.operation)) return GetByKey(*opening, call);
    if (IsStep(call.operation)) return Step(*opening, call);
    return kStatusInvalidOperation;
}

namespace {

struct GuardedCall {
    uint16_t operation;
    uint8_t* positionBlock;
    void* data;
    uint16_t* dataLength;
    void* keyBuffer;
    uint8_t keyLength;
    int8_t keyNumber;
    int16_t status;
};

}  // namespace

int16_t RecordManagerCall(uint16_t operation, uint8_t positionBlock[kPositionBlockSize], void* data,
                          uint16_t* dataLength, void* keyBuffer, uint8_t keyLength,
                          int8_t keyNumber) {
    GuardedCall call{operation, positionBlock, data,      dataLength,
                     keyBuffer, keyLength,     keyNumber, kStatusOk};
    const bool finished = recman::RunGuarded(
        [](void* argument) {
            auto& c = *static_cast<GuardedCall*>(argument);
            c.status = Dispatch(c.operation, c.positionBlock, c.data, c.dataLength, c.keyBuffer,
                                c.keyLength, c.keyNumber);
        },
        &call);
    if (finished) {
        touchedStore = nullptr;
        return call.status;
    }
    // A damaged page: the file's engine state is given up for the rest of
    // the process, and every later operation on it reports the damage.
    if (touchedStore != nullptr) touchedStore->damaged = true;
    touchedStore = nullptr;
    if (Opening* opening = Find(positionBlock); opening != nullptr) opening->cursor = nullptr;
    recman::MarkStoreBeingLoadedDamaged();
    return kStatusIoError;
}

}  // namespace vela
