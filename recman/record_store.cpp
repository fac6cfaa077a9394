#include "recman/record_store.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "recman/fault_guard.hpp"
#include "recman/file_header.hpp"
#include "recman/network_files.hpp"
#include "recman/record_manager.hpp"

namespace vela::recman {

namespace {

// Address space reserved per file; the file itself grows only as written.
constexpr std::size_t kMapSize = std::size_t{16} << 30;
constexpr unsigned kMaxReaders = 510;
constexpr unsigned kMaxDatabases = 2 + 128;

constexpr const char* kLayoutKey = "layout";
constexpr const char* kOwnerKey = "owner";
constexpr const char* kNextKey = "next";
constexpr const char* kDistinctKey = "distinct";

// The stores this process has open (weakly: the openings own them).
std::vector<std::weak_ptr<RecordStore>>& OpenStores() {
    static auto* stores = new std::vector<std::weak_ptr<RecordStore>>;
    return *stores;
}

MDB_val Text(const char* text) { return MDB_val{std::strlen(text), const_cast<char*>(text)}; }

std::string KeyDatabaseName(std::size_t key) {
    std::string name = "k";
    name += std::to_string(key);
    return name;
}

int16_t PutMeta(MDB_txn* txn, MDB_dbi meta, const char* name, const void* bytes, std::size_t size) {
    MDB_val key = Text(name);
    MDB_val value{size, const_cast<void*>(bytes)};
    return StatusOfEngineError(mdb_put(txn, meta, &key, &value, 0));
}

bool GetMeta(MDB_txn* txn, MDB_dbi meta, const char* name, MDB_val& value) {
    MDB_val key = Text(name);
    return mdb_get(txn, meta, &key, &value) == 0;
}

int16_t OpenEnvironment(const std::string& path, bool readOnly, MDB_env*& env) {
    int rc = mdb_env_create(&env);
    if (rc != 0) return kStatusIoError;
    mdb_env_set_maxdbs(env, kMaxDatabases);
    mdb_env_set_maxreaders(env, kMaxReaders);
    mdb_env_set_mapsize(env, kMapSize);
    mdb_env_set_assert(env, [](MDB_env*, const char*) { LeaveGuard(); });
    unsigned flags = MDB_NOSUBDIR | MDB_NOTLS;
    if (readOnly) flags |= MDB_RDONLY;
    rc = mdb_env_open(env, path.c_str(), flags, 0666);
    if (rc != 0) {
        mdb_env_close(env);
        env = nullptr;
        if (rc == ENOENT) return kStatusFileNotFound;
        if (rc == EACCES || rc == EROFS) return kStatusAccessDenied;
        return StatusOfEngineError(rc);
    }
    // Reader slots left behind by processes that died.
    int dead = 0;
    mdb_reader_check(env, &dead);
    return kStatusOk;
}

// Opens the databases and reads the description of a freshly opened store.
int16_t LoadStore(RecordStore& store) {
    MDB_txn* txn = nullptr;
    int rc = mdb_txn_begin(store.env, nullptr, MDB_RDONLY, &txn);
    if (rc != 0) return StatusOfEngineError(rc);
    int16_t status = kStatusOk;
    MDB_val layout;
    if (mdb_dbi_open(txn, "meta", 0, &store.meta) != 0 ||
        mdb_dbi_open(txn, "records", 0, &store.records) != 0 ||
        !GetMeta(txn, store.meta, kLayoutKey, layout)) {
        status = kStatusNotRecordFile;
    } else if (ParseFileLayout({static_cast<const uint8_t*>(layout.mv_data), layout.mv_size},
                               store.layout) != 0) {
        status = kStatusNotRecordFile;
    } else {
        for (std::size_t k = 0; k < store.layout.keys.size() && status == 0; ++k) {
            MDB_dbi dbi;
            if (mdb_dbi_open(txn, KeyDatabaseName(k).c_str(), 0, &dbi) != 0) {
                status = kStatusNotRecordFile;
            }
            store.keys.push_back(dbi);
        }
    }
    if (status == 0) {
        rc = mdb_txn_commit(txn);
        if (rc != 0) status = StatusOfEngineError(rc);
    } else {
        mdb_txn_abort(txn);
    }
    return status;
}

void PutLe32(uint8_t* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetLe32(const uint8_t* in) {
    return uint32_t{in[0]} | (uint32_t{in[1]} << 8) | (uint32_t{in[2]} << 16) |
           (uint32_t{in[3]} << 24);
}

}  // namespace

namespace {
RecordStore* storeBeingLoaded = nullptr;
}  // namespace

RecordStore::~RecordStore() {
    // A parent's engine state, or one that met a damaged page: leave it alone.
    if (pid != getpid() || damaged) return;
    if (writeTxn != nullptr) {
        mdb_txn_abort(writeTxn);
        NoteWriterLockReleased();
    }
    if (readTxn != nullptr) mdb_txn_abort(readTxn);
    if (env != nullptr) mdb_env_close(env);
}

PositionKey::PositionKey(uint32_t position) {
    bytes[0] = static_cast<uint8_t>(position >> 24);
    bytes[1] = static_cast<uint8_t>(position >> 16);
    bytes[2] = static_cast<uint8_t>(position >> 8);
    bytes[3] = static_cast<uint8_t>(position);
}

int16_t StatusOfEngineError(int rc) {
    switch (rc) {
        case 0:
            return kStatusOk;
        case MDB_MAP_FULL:
        case ENOSPC:
            return kStatusDiskFull;
        case MDB_INVALID:
        case MDB_VERSION_MISMATCH:
            return kStatusNotRecordFile;
        case EACCES:
            return kStatusAccessDenied;
        default:
            return kStatusIoError;
    }
}

void MarkStoreBeingLoadedDamaged() {
    if (storeBeingLoaded != nullptr) storeBeingLoaded->damaged = true;
    storeBeingLoaded = nullptr;
}

void ForgetInheritedStores() {
    auto& stores = OpenStores();
    for (auto& weak : stores) {
        if (auto store = weak.lock(); store && store->pid != getpid()) {
            // Kept alive for ever: its destructor must not run in this process.
            new std::shared_ptr<RecordStore>(store);
        }
    }
    std::erase_if(stores, [](const std::weak_ptr<RecordStore>& weak) {
        auto store = weak.lock();
        return !store || store->pid != getpid();
    });
}

bool StoreIsOpen(const std::string& hostPath) {
    struct stat info;
    if (::stat(hostPath.c_str(), &info) != 0) return false;
    for (auto& weak : OpenStores()) {
        auto store = weak.lock();
        if (store && store->pid == getpid() && store->device == info.st_dev &&
            store->inode == info.st_ino) {
            return true;
        }
    }
    return false;
}

int16_t AcquireStore(const std::string& hostPath, std::shared_ptr<RecordStore>& out) {
    struct stat info;
    if (::stat(hostPath.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? kStatusFileNotFound : kStatusIoError;
    }
    if (!S_ISREG(info.st_mode)) return kStatusNotRecordFile;
    auto& stores = OpenStores();
    std::erase_if(stores, [](const std::weak_ptr<RecordStore>& weak) { return weak.expired(); });
    for (auto& weak : stores) {
        auto store = weak.lock();
        if (store->pid == getpid() && store->device == info.st_dev && store->inode == info.st_ino) {
            if (store->damaged) return kStatusIoError;
            out = store;
            return kStatusOk;
        }
    }
    if (int16_t status = CheckLocalFileSystem(hostPath); status != 0) return status;
    if (int16_t status = CheckFileAt(hostPath.c_str()); status != 0) return status;
    auto store = std::make_shared<RecordStore>();
    store->path = hostPath;
    store->device = info.st_dev;
    store->inode = info.st_ino;
    store->pid = getpid();
    int16_t status = OpenEnvironment(hostPath, false, store->env);
    if (status == kStatusAccessDenied) {
        status = OpenEnvironment(hostPath, true, store->env);
        store->readOnly = true;
    }
    if (status != 0) return status;
    // Listed before it is read, so that a fault while reading leaves it
    // known (and marked damaged) rather than opened a second time.
    stores.push_back(store);
    storeBeingLoaded = store.get();
    status = LoadStore(*store);
    storeBeingLoaded = nullptr;
    if (status != 0) {
        stores.pop_back();
        return status;
    }
    out = store;
    return kStatusOk;
}

int16_t CreateStoreFile(const std::string& hostPath, const FileLayout& layout, bool replace) {
    struct stat info;
    const bool exists = ::stat(hostPath.c_str(), &info) == 0;
    if (exists && !replace) return kStatusFileExists;
    const std::size_t slash = hostPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : hostPath.substr(0, slash + 1);
    if (int16_t status = CheckLocalFileSystem(folder); status != 0) return status;
    // The file is built under a temporary name and put in place whole, so
    // no other process ever opens a half-made file.
    const std::string temporary = hostPath + ".new" + std::to_string(getpid());
    ::unlink(temporary.c_str());
    ::unlink((temporary + "-lock").c_str());
    MDB_env* env = nullptr;
    int16_t status = OpenEnvironment(temporary, false, env);
    if (status == kStatusFileNotFound || status == kStatusAccessDenied) return status;
    if (status != 0) return kStatusIoError;
    MDB_txn* txn = nullptr;
    int rc = mdb_txn_begin(env, nullptr, 0, &txn);
    if (rc == 0) NoteWriterLockTaken();
    MDB_dbi meta = 0;
    MDB_dbi dbi = 0;
    if (rc == 0) rc = mdb_dbi_open(txn, "meta", MDB_CREATE, &meta);
    if (rc == 0) rc = mdb_dbi_open(txn, "records", MDB_CREATE, &dbi);
    for (std::size_t k = 0; rc == 0 && k < layout.keys.size(); ++k) {
        rc = mdb_dbi_open(txn, KeyDatabaseName(k).c_str(), MDB_CREATE, &dbi);
    }
    if (rc == 0) {
        const std::vector<uint8_t> description = StatBuffer(layout, 0, {});
        const std::vector<uint32_t> zeros(layout.keys.size(), 0);
        uint8_t next[4];
        PutLe32(next, 1);
        status = PutMeta(txn, meta, kLayoutKey, description.data(), description.size());
        if (status == 0) status = PutMeta(txn, meta, kOwnerKey, "", 0);
        if (status == 0) status = PutMeta(txn, meta, kNextKey, next, 4);
        if (status == 0) {
            std::vector<uint8_t> counts(4 * zeros.size(), 0);
            status = PutMeta(txn, meta, kDistinctKey, counts.data(), counts.size());
        }
        rc = status == 0 ? mdb_txn_commit(txn) : (mdb_txn_abort(txn), 0);
        NoteWriterLockReleased();
        if (rc != 0) status = StatusOfEngineError(rc);
    } else {
        if (txn != nullptr) {
            mdb_txn_abort(txn);
            NoteWriterLockReleased();
        }
        status = StatusOfEngineError(rc);
    }
    if (status == 0 && mdb_env_sync(env, 1) != 0) status = kStatusIoError;
    mdb_env_close(env);
    ::unlink((temporary + "-lock").c_str());
    if (status == 0) {
        if (replace) {
            ::unlink((hostPath + "-lock").c_str());
            if (::rename(temporary.c_str(), hostPath.c_str()) != 0) status = kStatusIoError;
        } else if (::link(temporary.c_str(), hostPath.c_str()) != 0) {
            status = errno == EEXIST ? kStatusFileExists : kStatusIoError;
        }
    }
    ::unlink(temporary.c_str());
    return status;
}

MDB_txn* ReadSnapshot(RecordStore& store, int16_t& status) {
    status = kStatusOk;
    if (store.writeTxn != nullptr) return store.writeTxn;
    if (store.readActive) {
        MDB_envinfo info;
        if (mdb_env_info(store.env, &info) == 0 &&
            info.me_last_txnid == mdb_txn_id(store.readTxn)) {
            return store.readTxn;
        }
        mdb_txn_reset(store.readTxn);
        store.readActive = false;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int rc = store.readTxn != nullptr
                           ? mdb_txn_renew(store.readTxn)
                           : mdb_txn_begin(store.env, nullptr, MDB_RDONLY, &store.readTxn);
        if (rc == 0) {
            store.readActive = true;
            ++store.generation;
            return store.readTxn;
        }
        if (rc != MDB_MAP_RESIZED) {
            status = StatusOfEngineError(rc);
            return nullptr;
        }
        // Another process grew the file beyond this process's mapping.
        mdb_env_set_mapsize(store.env, 0);
    }
    status = kStatusIoError;
    return nullptr;
}

void ReleaseSnapshot(RecordStore& store) {
    if (!store.readActive) return;
    mdb_txn_reset(store.readTxn);
    store.readActive = false;
}

WriteScope::WriteScope(RecordStore& store, Nesting nesting) {
    if (store.writeTxn != nullptr) {
        if (nesting == Nesting::kDirect) {
            txn_ = store.writeTxn;
            return;
        }
        const int rc = mdb_txn_begin(store.env, store.writeTxn, 0, &txn_);
        if (rc != 0) {
            txn_ = nullptr;
            status_ = StatusOfEngineError(rc);
            return;
        }
        own_ = true;
        return;
    }
    ReleaseSnapshot(store);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int rc = mdb_txn_begin(store.env, nullptr, 0, &txn_);
        if (rc == 0) {
            own_ = true;
            topLevel_ = true;
            NoteWriterLockTaken();
            return;
        }
        txn_ = nullptr;
        if (rc != MDB_MAP_RESIZED) {
            status_ = StatusOfEngineError(rc);
            return;
        }
        mdb_env_set_mapsize(store.env, 0);
    }
    status_ = kStatusIoError;
}

WriteScope::~WriteScope() {
    if (!own_ || txn_ == nullptr) return;
    mdb_txn_abort(txn_);
    if (topLevel_) NoteWriterLockReleased();
}

int16_t WriteScope::Finish(int16_t status) {
    if (!own_ || txn_ == nullptr) return status;
    MDB_txn* txn = txn_;
    txn_ = nullptr;
    int rc = 0;
    if (status != 0) {
        mdb_txn_abort(txn);
    } else {
        rc = mdb_txn_commit(txn);
    }
    if (topLevel_) NoteWriterLockReleased();
    return status != 0 ? status : StatusOfEngineError(rc);
}

std::string ReadOwner(MDB_txn* txn, const RecordStore& store) {
    MDB_val value;
    if (!GetMeta(txn, store.meta, kOwnerKey, value)) return {};
    return std::string(static_cast<const char*>(value.mv_data), value.mv_size);
}

int16_t WriteOwner(MDB_txn* txn, const RecordStore& store, const std::string& owner) {
    return PutMeta(txn, store.meta, kOwnerKey, owner.data(), owner.size());
}

uint32_t ReadNextPosition(MDB_txn* txn, const RecordStore& store) {
    MDB_val value;
    if (!GetMeta(txn, store.meta, kNextKey, value) || value.mv_size != 4) return 0;
    return GetLe32(static_cast<const uint8_t*>(value.mv_data));
}

int16_t WriteNextPosition(MDB_txn* txn, const RecordStore& store, uint32_t next) {
    uint8_t bytes[4];
    PutLe32(bytes, next);
    return PutMeta(txn, store.meta, kNextKey, bytes, 4);
}

std::vector<uint32_t> ReadDistinct(MDB_txn* txn, const RecordStore& store) {
    std::vector<uint32_t> counts(store.layout.keys.size(), 0);
    MDB_val value;
    if (!GetMeta(txn, store.meta, kDistinctKey, value)) return counts;
    const auto* bytes = static_cast<const uint8_t*>(value.mv_data);
    for (std::size_t k = 0; k < counts.size() && 4 * k + 4 <= value.mv_size; ++k) {
        counts[k] = GetLe32(bytes + 4 * k);
    }
    return counts;
}

int16_t WriteDistinct(MDB_txn* txn, const RecordStore& store, std::span<const uint32_t> counts) {
    std::vector<uint8_t> bytes(4 * counts.size());
    for (std::size_t k = 0; k < counts.size(); ++k) PutLe32(bytes.data() + 4 * k, counts[k]);
    return PutMeta(txn, store.meta, kDistinctKey, bytes.data(), bytes.size());
}

}  // namespace vela::recman
