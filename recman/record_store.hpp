// The storage of one record file: one LMDB environment in one file at the
// file's path, holding the file description and owner name ("meta"), the
// records by position ("records", 4-byte big-endian positions from 1, never
// reused) and one index per key ("k0", "k1", ...: order bytes followed by the
// position, no data).
//
// A process opens the environment of a file once, however many openings it
// makes (the engine forbids opening one environment twice in a process), and
// shares one read snapshot among them. The snapshot is kept between
// operations while nothing has been committed to the file since it was
// taken, so a run of reads costs no new transaction; as soon as another
// commit is seen the snapshot is renewed and every cursor on it is
// repositioned.
#pragma once

#include <lmdb.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "recman/file_layout.hpp"

namespace vela::recman {

struct RecordStore {
    std::string path;  // host path of the data file
    dev_t device = 0;
    ino_t inode = 0;
    pid_t pid = 0;
    MDB_env* env = nullptr;
    bool readOnly = false;
    MDB_dbi meta = 0;
    MDB_dbi records = 0;
    std::vector<MDB_dbi> keys;
    FileLayout layout;

    MDB_txn* readTxn = nullptr;
    bool readActive = false;
    uint64_t generation = 0;      // changes whenever the read snapshot does
    MDB_txn* writeTxn = nullptr;  // an explicit transaction, when one is open

    // Set when the engine met a damaged page: the engine state of this file
    // is given up (never touched again) for the rest of the process.
    bool damaged = false;

    // The Stat buffer of the snapshot of generation statGeneration.
    std::vector<uint8_t> statCache;
    uint64_t statGeneration = 0;

    ~RecordStore();
};

// Status of an engine return code.
int16_t StatusOfEngineError(int rc);

// The store of hostPath, shared with this process's other openings of it.
int16_t AcquireStore(const std::string& hostPath, std::shared_ptr<RecordStore>& store);

// After a fault while a store was being opened: marks it damaged, so that
// it is never used or closed.
void MarkStoreBeingLoadedDamaged();

// Whether this process has hostPath open.
bool StoreIsOpen(const std::string& hostPath);

// Forgets every store inherited from a parent process, without touching the
// engine state the parent still uses.
void ForgetInheritedStores();

// Writes a new, empty file at hostPath for layout (replace: an existing file is
// removed first; otherwise an existing file gives 59).
int16_t CreateStoreFile(const std::string& hostPath, const FileLayout& layout, bool replace);

// The transaction to read from: the explicit transaction when one is open,
// else the shared snapshot, renewed when others have committed. Null with
// status set on failure.
MDB_txn* ReadSnapshot(RecordStore& store, int16_t& status);

// Lets go of the shared snapshot, so that a writer of this process can
// reuse the pages that older snapshots held.
void ReleaseSnapshot(RecordStore& store);

// A write: a transaction of its own that Finish commits (status 0) or
// aborts, and the destructor aborts when Finish was not called. Inside an
// explicit transaction, as Nesting says.
class WriteScope {
  public:
    enum class Nesting {
        // A transaction nested in the explicit one, so that a write that
        // fails part way leaves it as it stood before the write.
        kNested,
        // Straight in the explicit transaction, for a write that refuses
        // only before its first change (nesting costs as much again as a
        // small write). An engine failure part way (disk full) marks the
        // explicit transaction failed, so End Transaction commits none of
        // it and a partial write is never committed.
        kDirect,
    };
    explicit WriteScope(RecordStore& store, Nesting nesting = Nesting::kNested);
    ~WriteScope();
    int16_t status() const { return status_; }
    MDB_txn* txn() const { return txn_; }
    int16_t Finish(int16_t status);

  private:
    MDB_txn* txn_ = nullptr;
    bool own_ = false;       // begun here, so committed or aborted here
    bool topLevel_ = false;  // holds the writer lock
    int16_t status_ = 0;
};

// Meta values inside a transaction.
std::string ReadOwner(MDB_txn* txn, const RecordStore& store);
int16_t WriteOwner(MDB_txn* txn, const RecordStore& store, const std::string& owner);
uint32_t ReadNextPosition(MDB_txn* txn, const RecordStore& store);
int16_t WriteNextPosition(MDB_txn* txn, const RecordStore& store, uint32_t next);
std::vector<uint32_t> ReadDistinct(MDB_txn* txn, const RecordStore& store);
int16_t WriteDistinct(MDB_txn* txn, const RecordStore& store, std::span<const uint32_t> counts);

// Position as the 4-byte big-endian key of the records database.
struct PositionKey {
    explicit PositionKey(uint32_t position);
    PositionKey(const PositionKey&) = delete;
    PositionKey& operator=(const PositionKey&) = delete;
    uint8_t bytes[4];
    MDB_val val{4, bytes};
};

}  // namespace vela::recman
