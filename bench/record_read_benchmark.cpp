// Reading a large record file: Get Next and Get Greater or Equal through
// RecordManagerCall and through the record file layer (StepRecord,
// FindRecord), side by side with a raw LMDB cursor that fetches the same
// records from the same file. The program's walk reads every payment of the
// year once per territory and category, so this is its whole workload.
//
// The file (1,000,000 records of 128 bytes by default; VELA_BENCH_RECORDS
// changes it) is built once in VELA_BENCH_DIR (default: the system's
// temporary folder) and reused by later runs.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "recman/record_manager.hpp"
#include "recman/record_store.hpp"
#include "records/record_file.hpp"

namespace {

using namespace vela;

constexpr uint16_t kRecordLength = 128;
constexpr int16_t kLayerFile = 18;

uint32_t RecordCount() {
    const char* text = std::getenv("VELA_BENCH_RECORDS");
    return text != nullptr ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : 1000000;
}

// Key 0: the record's code, 8 digits (1, 8), unique. Key 1: a group of 4
// bytes (9, 4) with duplicates, as payments by owner.
std::vector<uint8_t> CreateBuffer() {
    std::vector<uint8_t> b(16 + 32, 0);
    b[0] = kRecordLength;
    b[2] = 0x00;
    b[3] = 0x10;  // page size 4096
    b[4] = 2;
    b[16] = 1;
    b[18] = 8;
    b[32] = 9;
    b[34] = 4;
    b[36] = 0x01;
    b[46] = 1;
    return b;
}

std::string Code(uint32_t n) {
    char text[12];
    std::snprintf(text, sizeof text, "%08u", n % 100000000);
    return text;
}

struct BenchFile {
    std::string path;
    std::array<uint8_t, kPositionBlockSize> block{};
    std::shared_ptr<recman::RecordStore> store;
    uint32_t records = 0;
};

BenchFile& File() {
    static BenchFile* file = [] {
        auto* f = new BenchFile;
        const char* folder = std::getenv("VELA_BENCH_DIR");
        f->records = RecordCount();
        f->path = folder != nullptr ? folder : "/tmp";
        f->path += "/vela-bench-";
        f->path += std::to_string(f->records);
        f->path += ".dat";
        std::string name = f->path;
        name.push_back('\0');
        struct stat info;
        const bool exists = ::stat(f->path.c_str(), &info) == 0;
        std::vector<uint8_t> create = CreateBuffer();
        uint16_t length = static_cast<uint16_t>(create.size());
        if (!exists && RecordManagerCall(kOpCreate, f->block.data(), create.data(), &length,
                                         name.data(), static_cast<uint8_t>(name.size()), -1) != 0) {
            std::fprintf(stderr, "cannot create %s\n", f->path.c_str());
            std::exit(1);
        }
        uint16_t none = 0;
        if (RecordManagerCall(kOpOpen, f->block.data(), nullptr, &none, name.data(),
                              static_cast<uint8_t>(name.size()), 0) != 0) {
            std::fprintf(stderr, "cannot open %s\n", f->path.c_str());
            std::exit(1);
        }
        if (!exists) {
            std::fprintf(stderr, "building %u records in %s ...\n", f->records, f->path.c_str());
            std::vector<uint8_t> record(kRecordLength, ' ');
            std::array<uint8_t, 255> key{};
            std::mt19937 random(190);
            // Inserted in a shuffled order, as an office's files grow.
            std::vector<uint32_t> order(f->records);
            for (uint32_t i = 0; i < f->records; ++i) order[i] = i;
            std::shuffle(order.begin(), order.end(), random);
            for (uint32_t i = 0; i < f->records; ++i) {
                if (i % 10000 == 0)
                    RecordManagerCall(kOpBeginTransaction, f->block.data(), nullptr, &none, nullptr,
                                      0, 0);
                const std::string code = Code(order[i]);
                std::memcpy(record.data(), code.data(), 8);
                const std::string group = Code(order[i] % 5000).substr(4);
                std::memcpy(record.data() + 8, group.data(), 4);
                uint16_t recordLength = kRecordLength;
                if (RecordManagerCall(kOpInsert, f->block.data(), record.data(), &recordLength,
                                      key.data(), 255, 0) != 0) {
                    std::fprintf(stderr, "insert failed\n");
                    std::exit(1);
                }
                if (i % 10000 == 9999 || i + 1 == f->records) {
                    RecordManagerCall(kOpEndTransaction, f->block.data(), nullptr, &none, nullptr,
                                      0, 0);
                }
            }
        }
        recman::AcquireStore(f->path, f->store);
        return f;
    }();
    return *file;
}

// A raw cursor on key 0's index: each step fetches the record it names.
void BM_RawCursorNext(benchmark::State& state) {
    BenchFile& file = File();
    MDB_txn* txn = nullptr;
    mdb_txn_begin(file.store->env, nullptr, MDB_RDONLY, &txn);
    MDB_cursor* cursor = nullptr;
    mdb_cursor_open(txn, file.store->keys[0], &cursor);
    std::array<uint8_t, 1536> data;
    MDB_val entry, empty;
    mdb_cursor_get(cursor, &entry, &empty, MDB_FIRST);
    for (auto _ : state) {
        if (mdb_cursor_get(cursor, &entry, &empty, MDB_NEXT) != 0) {
            mdb_cursor_get(cursor, &entry, &empty, MDB_FIRST);
        }
        const auto* bytes = static_cast<const uint8_t*>(entry.mv_data) + entry.mv_size - 4;
        uint8_t position[4] = {bytes[0], bytes[1], bytes[2], bytes[3]};
        MDB_val positionVal{4, position}, record;
        mdb_get(txn, file.store->records, &positionVal, &record);
        std::memcpy(data.data(), record.mv_data, record.mv_size);
        benchmark::DoNotOptimize(data);
    }
    mdb_cursor_close(cursor);
    mdb_txn_abort(txn);
}
BENCHMARK(BM_RawCursorNext);

void BM_RecordManagerGetNext(benchmark::State& state) {
    BenchFile& file = File();
    std::array<uint8_t, 1536> data;
    std::array<uint8_t, 255> key{};
    uint16_t length = kRecordLength;
    RecordManagerCall(kOpGetFirst, file.block.data(), data.data(), &length, key.data(), 255, 0);
    for (auto _ : state) {
        length = kRecordLength;
        if (RecordManagerCall(kOpGetNext, file.block.data(), data.data(), &length, key.data(), 255,
                              0) != 0) {
            length = kRecordLength;
            RecordManagerCall(kOpGetFirst, file.block.data(), data.data(), &length, key.data(), 255,
                              0);
        }
        benchmark::DoNotOptimize(data);
    }
}
BENCHMARK(BM_RecordManagerGetNext);

void BM_LayerStepRecord(benchmark::State& state) {
    BenchFile& file = File();
    static std::array<char, kRecordLength> area;
    int16_t status = 0;
    OpenRecordFile(kLayerFile, file.path, area.data(), status);
    FindRecord(kLayerFile, 0, "", 1, status);
    for (auto _ : state) {
        StepRecord(kLayerFile, 1, status);
        if (status != 0) FindRecord(kLayerFile, 0, "", 1, status);
        benchmark::DoNotOptimize(area);
    }
}
BENCHMARK(BM_LayerStepRecord);

std::vector<std::string> RandomKeys(uint32_t records) {
    std::mt19937 random(2025);
    std::vector<std::string> keys(4096);
    for (std::string& key : keys) key = Code(random() % records);
    return keys;
}

void BM_RawCursorSetRange(benchmark::State& state) {
    BenchFile& file = File();
    const std::vector<std::string> keys = RandomKeys(file.records);
    MDB_txn* txn = nullptr;
    mdb_txn_begin(file.store->env, nullptr, MDB_RDONLY, &txn);
    MDB_cursor* cursor = nullptr;
    mdb_cursor_open(txn, file.store->keys[0], &cursor);
    std::array<uint8_t, 1536> data;
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& key = keys[i++ % keys.size()];
        MDB_val entry{key.size(), const_cast<char*>(key.data())}, empty;
        mdb_cursor_get(cursor, &entry, &empty, MDB_SET_RANGE);
        const auto* bytes = static_cast<const uint8_t*>(entry.mv_data) + entry.mv_size - 4;
        uint8_t position[4] = {bytes[0], bytes[1], bytes[2], bytes[3]};
        MDB_val positionVal{4, position}, record;
        mdb_get(txn, file.store->records, &positionVal, &record);
        std::memcpy(data.data(), record.mv_data, record.mv_size);
        benchmark::DoNotOptimize(data);
    }
    mdb_cursor_close(cursor);
    mdb_txn_abort(txn);
}
BENCHMARK(BM_RawCursorSetRange);

void BM_RecordManagerGetGreaterOrEqual(benchmark::State& state) {
    BenchFile& file = File();
    const std::vector<std::string> keys = RandomKeys(file.records);
    std::array<uint8_t, 1536> data;
    std::array<uint8_t, 255> key{};
    std::size_t i = 0;
    for (auto _ : state) {
        std::memcpy(key.data(), keys[i++ % keys.size()].data(), 8);
        uint16_t length = kRecordLength;
        benchmark::DoNotOptimize(RecordManagerCall(kOpGetGreaterOrEqual, file.block.data(),
                                                   data.data(), &length, key.data(), 255, 0));
        benchmark::DoNotOptimize(data);
    }
}
BENCHMARK(BM_RecordManagerGetGreaterOrEqual);

void BM_LayerFindRecord(benchmark::State& state) {
    BenchFile& file = File();
    const std::vector<std::string> keys = RandomKeys(file.records);
    static std::array<char, kRecordLength> area;
    int16_t status = 0;
    OpenRecordFile(kLayerFile, file.path, area.data(), status);
    std::size_t i = 0;
    for (auto _ : state) {
        FindRecord(kLayerFile, 0, keys[i++ % keys.size()], 1, status);
        benchmark::DoNotOptimize(area);
    }
}
BENCHMARK(BM_LayerFindRecord);

}  // namespace

BENCHMARK_MAIN();
