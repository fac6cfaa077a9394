#include "recman/record_manager.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recman/file_layout.hpp"
#include "tests/recman/record_file_support.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using recman::kKeyBinary;
using recman::kKeyCollating;
using recman::kKeyDescending;
using recman::kKeyDuplicates;
using recman::kKeyModifiable;
using recman::kKeyNull;
using testing::CreateBuffer;
using testing::CreateFile;
using testing::Record;
using testing::RecordFileClient;

class RecordManagerTest : public ::testing::Test {
  protected:
    void TearDown() override {
        uint16_t length = 0;
        uint8_t block[128] = {};
        RecordManagerCall(kOpReset, block, nullptr, &length, nullptr, 0, 0);
    }

    std::string PathOf(const std::string& name) { return folder / name; }

    // Reads the whole file along a key, first to last, returning the field
    // at [start, start + length) of each record.
    std::vector<std::string> Walk(RecordFileClient& file, int8_t keyNumber, std::size_t start,
                                  std::size_t length, bool backwards = false) {
        std::vector<std::string> seen;
        int16_t status = file.Get(backwards ? kOpGetLast : kOpGetFirst, keyNumber);
        while (status == 0) {
            seen.push_back(file.record.substr(start - 1, length));
            status = file.Get(backwards ? kOpGetPrevious : kOpGetNext, keyNumber);
        }
        EXPECT_EQ(status, kStatusEndOfFile);
        return seen;
    }

    testing::TempFolder folder;
};

std::string Le16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

TEST_F(RecordManagerTest, KeysOrderByTheirSegmentKinds) {
    // Record: 1-2 binary number, 3-8 name (collating), 9-10 code (descending),
    // 11-12 tag (plain, duplicates).
    const std::string path = PathOf("order.dat");
    ASSERT_EQ(CreateFile(path, CreateBuffer(16,
                                            {{{1, 2, kKeyBinary}},
                                             {{3, 6, kKeyCollating | kKeyDuplicates}},
                                             {{9, 2, kKeyDescending | kKeyDuplicates}},
                                             {{11, 2, kKeyDuplicates}, {1, 2, kKeyBinary}}},
                                            testing::UpperTable())),
              0);
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    const std::vector<std::tuple<uint16_t, std::string, std::string, std::string>> rows = {
        {256, "beta  ", "10", "XX"}, {1, "Alpha ", "30", "YY"},   {2, "ALPHA ", "20", "XX"},
        {513, "alpha ", "20", "XX"}, {255, "Gamma ", "05", "YY"},
    };
    for (const auto& [number, name, code, tag] : rows) {
        ASSERT_EQ(file.Insert(Record(16, {{1, Le16(number)}, {3, name}, {9, code}, {11, tag}})), 0);
    }
    // Binary: 1, 2, 255, 256, 513 (little-endian, not byte order).
    EXPECT_EQ(Walk(file, 0, 3, 6),
              (std::vector<std::string>{"Alpha ", "ALPHA ", "Gamma ", "beta  ", "alpha "}));
    // Collating: case folded; equal names in insertion order.
    EXPECT_EQ(Walk(file, 1, 3, 6),
              (std::vector<std::string>{"Alpha ", "ALPHA ", "alpha ", "beta  ", "Gamma "}));
    // Descending: 30, 20, 20 (insertion order), 10, 05.
    EXPECT_EQ(Walk(file, 2, 3, 6),
              (std::vector<std::string>{"Alpha ", "ALPHA ", "alpha ", "beta  ", "Gamma "}));
    // Plain then binary: XX 2, XX 256, XX 513, YY 1, YY 255.
    EXPECT_EQ(Walk(file, 3, 3, 6),
              (std::vector<std::string>{"ALPHA ", "beta  ", "alpha ", "Alpha ", "Gamma "}));
    EXPECT_EQ(Walk(file, 3, 3, 6, true),
              (std::vector<std::string>{"Gamma ", "Alpha ", "alpha ", "beta  ", "ALPHA "}));
}

class NavigationTest : public RecordManagerTest {
  protected:
    void SetUp() override {
        path = PathOf("nav.dat");
        // 1-4 code (unique), 5-8 group (duplicates).
        ASSERT_EQ(CreateFile(path, CreateBuffer(20, {{{1, 4, 0}}, {{5, 4, kKeyDuplicates}}})), 0);
        ASSERT_EQ(file.Open(path), 0);
        for (const auto& [code, group] : std::vector<std::pair<std::string, std::string>>{
                 {"0010", "B"}, {"0020", "A"}, {"0030", "B"}, {"0040", "B"}, {"0050", "C"}}) {
            ASSERT_EQ(file.Insert(Record(20, {{1, code}, {5, group}})), 0);
        }
    }
    std::string Code() const { return file.record.substr(0, 4); }

    std::string path;
    RecordFileClient file;
};

TEST_F(NavigationTest, NextAndPreviousCrossDuplicates) {
    ASSERT_EQ(file.Get(kOpGetEqual, 1, "B   "), 0);
    EXPECT_EQ(Code(), "0010");  // the first of the duplicates
    EXPECT_EQ(file.key.substr(0, 4), "B   ");
    ASSERT_EQ(file.Get(kOpGetNext, 1), 0);
    EXPECT_EQ(Code(), "0030");
    ASSERT_EQ(file.Get(kOpGetNext, 1), 0);
    EXPECT_EQ(Code(), "0040");
    ASSERT_EQ(file.Get(kOpGetPrevious, 1), 0);
    EXPECT_EQ(Code(), "0030");
    ASSERT_EQ(file.Get(kOpGetPrevious, 1), 0);
    EXPECT_EQ(Code(), "0010");
    ASSERT_EQ(file.Get(kOpGetPrevious, 1), 0);
    EXPECT_EQ(Code(), "0020");
    EXPECT_EQ(file.Get(kOpGetPrevious, 1), kStatusEndOfFile);
    // A failed step keeps the position.
    ASSERT_EQ(file.Get(kOpGetNext, 1), 0);
    EXPECT_EQ(Code(), "0010");
}

TEST_F(NavigationTest, GetDirectMakesTheRecordCurrentAlongTheKey) {
    ASSERT_EQ(file.Get(kOpGetEqual, 0, "0030"), 0);
    const uint32_t position = file.Position();
    ASSERT_NE(position, 0u);
    ASSERT_EQ(file.Get(kOpGetFirst, 0), 0);
    ASSERT_EQ(file.Direct(position, 1), 0);
    EXPECT_EQ(Code(), "0030");
    EXPECT_EQ(file.key.substr(0, 4), "B   ");
    ASSERT_EQ(file.Get(kOpGetNext, 1), 0);
    EXPECT_EQ(Code(), "0040");
    ASSERT_EQ(file.Direct(position, 1), 0);
    ASSERT_EQ(file.Get(kOpGetPrevious, 1), 0);
    EXPECT_EQ(Code(), "0010");
    EXPECT_EQ(file.Get(kOpGetNext, 0), kStatusDifferentKeyNumber);
    EXPECT_EQ(file.Direct(999, 0), kStatusInvalidRecordAddress);
    EXPECT_EQ(file.Direct(0, 0), kStatusInvalidRecordAddress);
}

TEST_F(NavigationTest, RangeReadsAtBothEnds) {
    struct Case {
        uint16_t operation;
        std::string key;
        int16_t status;
        std::string code;
    };
    const std::vector<Case> cases = {
        {kOpGetLessOrEqual, "0005", kStatusEndOfFile, ""},
        {kOpGetLessOrEqual, "0010", 0, "0010"},
        {kOpGetLessOrEqual, "0035", 0, "0030"},
        {kOpGetLessOrEqual, "9999", 0, "0050"},
        {kOpGetLess, "0010", kStatusEndOfFile, ""},
        {kOpGetLess, "0030", 0, "0020"},
        {kOpGetLess, "9999", 0, "0050"},
        {kOpGetGreaterOrEqual, "0030", 0, "0030"},
        {kOpGetGreaterOrEqual, "0031", 0, "0040"},
        {kOpGetGreaterOrEqual, "0051", kStatusEndOfFile, ""},
        {kOpGetGreater, "0030", 0, "0040"},
        {kOpGetGreater, "0050", kStatusEndOfFile, ""},
        {kOpGetEqual, "0031", kStatusKeyNotFound, ""},
        {kOpGetEqual, "0050", 0, "0050"},
    };
    for (const Case& c : cases) {
        file.record.clear();
        EXPECT_EQ(file.Get(c.operation, 0, c.key), c.status) << c.operation << " " << c.key;
        if (c.status == 0) {
            EXPECT_EQ(Code(), c.code) << c.operation << " " << c.key;
        }
    }
    // Duplicates: less or equal gives the last of equal values, greater or
    // equal the first.
    ASSERT_EQ(file.Get(kOpGetLessOrEqual, 1, "B   "), 0);
    EXPECT_EQ(Code(), "0040");
    ASSERT_EQ(file.Get(kOpGetGreaterOrEqual, 1, "B   "), 0);
    EXPECT_EQ(Code(), "0010");
    ASSERT_EQ(file.Get(kOpGetLess, 1, "B   "), 0);
    EXPECT_EQ(Code(), "0020");
    ASSERT_EQ(file.Get(kOpGetGreater, 1, "B   "), 0);
    EXPECT_EQ(Code(), "0050");
}

TEST_F(NavigationTest, StatusesOfMisuse) {
    RecordFileClient unopened;
    EXPECT_EQ(unopened.Get(kOpGetFirst, 0), kStatusFileNotOpen);
    RecordFileClient fresh;
    ASSERT_EQ(fresh.Open(path), 0);
    EXPECT_EQ(fresh.Get(kOpGetNext, 0), kStatusInvalidPositioning);
    EXPECT_EQ(fresh.Position(), 0u);
    EXPECT_EQ(fresh.Get(kOpGetFirst, 2), kStatusInvalidKeyNumber);
    EXPECT_EQ(fresh.Get(kOpGetFirst, -1), kStatusInvalidKeyNumber);
    EXPECT_EQ(fresh.Get(kOpGetFirst, 0, "", 3), kStatusKeyBufferTooShort);
    EXPECT_EQ(fresh.Insert(Record(20, {{1, "0010"}})), kStatusDuplicateKey);
    EXPECT_EQ(fresh.Insert(std::string(19, ' ')), kStatusDataBufferLength);
    EXPECT_EQ(fresh.Update(Record(20, {{1, "0099"}})), kStatusInvalidPositioning);
    // A data buffer shorter than the record: what fits, and 22.
    fresh.dataLength = 6;
    ASSERT_EQ(fresh.Get(kOpGetFirst, 0), kStatusDataBufferLength);
    EXPECT_EQ(fresh.record, "0010B ");
    uint16_t length = 0;
    EXPECT_EQ(
        RecordManagerCall(kOpStepFirst + 300, fresh.block.data(), nullptr, &length, nullptr, 0, 0),
        kStatusInvalidOperation);
    EXPECT_EQ(RecordManagerCall(kOpDelete + kLockNoWaitBias, fresh.block.data(), nullptr, &length,
                                nullptr, 0, 0),
              kStatusInvalidOperation);
    EXPECT_EQ(RecordManagerCall(77, fresh.block.data(), nullptr, &length, nullptr, 0, 0),
              kStatusInvalidOperation);
}

TEST_F(NavigationTest, UpdateAndDeleteKeepTheIndexesRight) {
    ASSERT_EQ(file.Get(kOpGetEqual, 0, "0030"), 0);
    // Key 0 is not modifiable.
    EXPECT_EQ(file.Update(Record(20, {{1, "0031"}, {5, "B"}})), kStatusModifiableKey);
    // Key 1 is not modifiable either (no flag 0x02).
    EXPECT_EQ(file.Update(Record(20, {{1, "0030"}, {5, "Z"}, {9, "x"}})), kStatusModifiableKey);
    ASSERT_EQ(file.Update(Record(20, {{1, "0030"}, {5, "B"}, {9, "changed"}})), 0);
    ASSERT_EQ(file.Get(kOpGetEqual, 0, "0030"), 0);
    EXPECT_EQ(file.record.substr(8, 7), "changed");
    // Delete, then Next goes on from where the record was.
    ASSERT_EQ(file.Get(kOpGetEqual, 1, "B   "), 0);
    ASSERT_EQ(file.Get(kOpGetNext, 1), 0);
    EXPECT_EQ(Code(), "0030");
    ASSERT_EQ(file.Delete(), 0);
    EXPECT_EQ(file.Delete(), kStatusInvalidPositioning);
    ASSERT_EQ(file.Get(kOpGetNext, 1), 0);
    EXPECT_EQ(Code(), "0040");
    EXPECT_EQ(file.Get(kOpGetEqual, 0, "0030"), kStatusKeyNotFound);
    // Positions are never reused.
    ASSERT_EQ(file.Insert(Record(20, {{1, "0030"}, {5, "B"}})), 0);
    EXPECT_EQ(file.Position(), 6u);
    std::vector<uint8_t> stat;
    ASSERT_EQ(file.Stat(stat), 0);
    EXPECT_EQ(stat[6], 5);       // records
    EXPECT_EQ(stat[16 + 6], 5);  // distinct codes
    EXPECT_EQ(stat[32 + 6], 3);  // distinct groups A, B, C
}

TEST_F(RecordManagerTest, ModifiableKeysMoveAndUniqueKeysRefuseDuplicates) {
    const std::string path = PathOf("mod.dat");
    ASSERT_EQ(CreateFile(path, CreateBuffer(10, {{{1, 2, 0}}, {{3, 2, kKeyModifiable}}})), 0);
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    ASSERT_EQ(file.Insert(Record(10, {{1, "01"}, {3, "AA"}})), 0);
    ASSERT_EQ(file.Insert(Record(10, {{1, "02"}, {3, "BB"}}), 1), 0);
    EXPECT_EQ(file.key.substr(0, 2), "BB");  // Insert returns the key along its key number
    EXPECT_EQ(file.Update(Record(10, {{1, "02"}, {3, "AA"}})), kStatusDuplicateKey);
    ASSERT_EQ(file.Update(Record(10, {{1, "02"}, {3, "00"}})), 0);
    EXPECT_EQ(Walk(file, 1, 1, 2), (std::vector<std::string>{"02", "01"}));
}

TEST_F(RecordManagerTest, NullKeysAreLeftOutOfTheirIndex) {
    const std::string path = PathOf("null.dat");
    ASSERT_EQ(
        CreateFile(path, CreateBuffer(6, {{{1, 2, 0}}, {{3, 2, kKeyNull | kKeyDuplicates, ' '}}})),
        0);
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    ASSERT_EQ(file.Insert(Record(6, {{1, "01"}, {3, "XX"}})), 0);
    ASSERT_EQ(file.Insert(Record(6, {{1, "02"}})), 0);
    EXPECT_EQ(Walk(file, 0, 1, 2), (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(Walk(file, 1, 1, 2), (std::vector<std::string>{"01"}));
}

TEST_F(RecordManagerTest, PhysicalStepsFollowPositions) {
    const std::string path = PathOf("steps.dat");
    ASSERT_EQ(CreateFile(path, CreateBuffer(4, {{{1, 4, 0}}})), 0);
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    for (const char* code : {"CCCC", "AAAA", "BBBB"}) ASSERT_EQ(file.Insert(code), 0);
    std::vector<std::string> seen;
    for (int16_t status = file.Get(kOpStepFirst, 0); status == 0;
         status = file.Get(kOpStepNext, 0)) {
        seen.push_back(file.record);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"CCCC", "AAAA", "BBBB"}));
    ASSERT_EQ(file.Get(kOpStepLast, 0), 0);
    ASSERT_EQ(file.Get(kOpStepPrevious, 0), 0);
    EXPECT_EQ(file.record, "AAAA");
    // A physical step leaves no position along a key.
    EXPECT_EQ(file.Get(kOpGetNext, 0), kStatusInvalidPositioning);
}

TEST_F(RecordManagerTest, CreateAndOpenStatuses) {
    const std::string path = PathOf("file.dat");
    RecordFileClient file;
    EXPECT_EQ(file.Open(path), kStatusFileNotFound);
    EXPECT_EQ(CreateFile(PathOf("no/such/folder.dat"), CreateBuffer(4, {{{1, 4, 0}}})),
              kStatusFileNotFound);
    ASSERT_EQ(CreateFile(path, CreateBuffer(4, {{{1, 4, 0}}})), 0);
    EXPECT_EQ(CreateFile(path, CreateBuffer(8, {{{1, 4, 0}}})), kStatusFileExists);
    ASSERT_EQ(file.Open(path), 0);
    ASSERT_EQ(file.Insert("AAAA"), 0);
    // Replacing a file that is open is refused.
    EXPECT_EQ(CreateFile(path, CreateBuffer(8, {{{1, 4, 0}}}), 0), kStatusFileInUse);
    // The owner name guards the file once set.
    char owner[] = "1234";
    uint16_t length = 5;
    ASSERT_EQ(RecordManagerCall(kOpSetOwner, file.block.data(), owner, &length, owner, 5, 0), 0);
    ASSERT_EQ(file.Close(), 0);
    EXPECT_EQ(file.Get(kOpGetFirst, 0), kStatusFileNotOpen);
    EXPECT_EQ(file.Open(path), kStatusInvalidOwner);
    EXPECT_EQ(file.Open(path, 0, "9999"), kStatusInvalidOwner);
    ASSERT_EQ(file.Open(path, 0, "1234"), 0);
    file.Close();
    // Read-only openings refuse writes.
    ASSERT_EQ(file.Open(path, kOpenReadOnly, "1234"), 0);
    ASSERT_EQ(file.Get(kOpGetFirst, 0), 0);
    EXPECT_EQ(file.Insert("BBBB"), kStatusAccessDenied);
    EXPECT_EQ(file.Delete(), kStatusAccessDenied);
    file.Close();
    // Replacing a closed file empties it.
    ASSERT_EQ(CreateFile(path, CreateBuffer(8, {{{1, 4, 0}}}), 0), 0);
    ASSERT_EQ(file.Open(path), 0);
    EXPECT_EQ(file.Get(kOpGetFirst, 0), kStatusEndOfFile);
    std::vector<uint8_t> stat;
    ASSERT_EQ(file.Stat(stat), 0);
    EXPECT_EQ(stat[0], 8);
}

TEST_F(RecordManagerTest, OpeningsOfOneFileInOneProcessShareIt) {
    const std::string path = PathOf("shared.dat");
    ASSERT_EQ(CreateFile(path, CreateBuffer(4, {{{1, 4, 0}}})), 0);
    RecordFileClient reader, writer;
    ASSERT_EQ(reader.Open(path), 0);
    ASSERT_EQ(writer.Open(path), 0);
    ASSERT_EQ(writer.Insert("AAAA"), 0);
    ASSERT_EQ(reader.Get(kOpGetFirst, 0), 0);
    ASSERT_EQ(writer.Insert("BBBB"), 0);
    // The reader's next operation sees the other opening's commit.
    ASSERT_EQ(reader.Get(kOpGetNext, 0), 0);
    EXPECT_EQ(reader.record, "BBBB");
    // Record locks of two openings conflict, even in one process.
    ASSERT_EQ(reader.Get(kOpGetFirst + kLockNoWaitBias, 0), 0);
    EXPECT_EQ(writer.Get(kOpGetFirst + kLockNoWaitBias, 0), kStatusRecordInUse);
    uint16_t length = 0;
    ASSERT_EQ(RecordManagerCall(kOpUnlock, reader.block.data(), nullptr, &length, nullptr, 0, 0),
              0);
    EXPECT_EQ(writer.Get(kOpGetFirst + kLockNoWaitBias, 0), 0);
    // An unbiased read releases the lock.
    ASSERT_EQ(writer.Get(kOpGetLast, 0), 0);
    EXPECT_EQ(reader.Get(kOpGetFirst + kLockNoWaitBias, 0), 0);
    // Exclusive opening while others have it open.
    RecordFileClient exclusive;
    EXPECT_EQ(exclusive.Open(path, kOpenExclusive), kStatusFileInUse);
}

TEST_F(RecordManagerTest, TransactionsCommitOrAbortTogether) {
    const std::string path = PathOf("txn.dat");
    ASSERT_EQ(CreateFile(path, CreateBuffer(4, {{{1, 4, 0}}})), 0);
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    uint16_t length = 0;
    ASSERT_EQ(
        RecordManagerCall(kOpBeginTransaction, file.block.data(), nullptr, &length, nullptr, 0, 0),
        0);
    EXPECT_EQ(
        RecordManagerCall(kOpBeginTransaction, file.block.data(), nullptr, &length, nullptr, 0, 0),
        kStatusTransactionActive);
    ASSERT_EQ(file.Insert("AAAA"), 0);
    ASSERT_EQ(file.Get(kOpGetFirst, 0), 0);  // reads see the transaction's own writes
    ASSERT_EQ(
        RecordManagerCall(kOpAbortTransaction, file.block.data(), nullptr, &length, nullptr, 0, 0),
        0);
    EXPECT_EQ(file.Get(kOpGetFirst, 0), kStatusEndOfFile);
    ASSERT_EQ(
        RecordManagerCall(kOpBeginTransaction, file.block.data(), nullptr, &length, nullptr, 0, 0),
        0);
    ASSERT_EQ(file.Insert("BBBB"), 0);
    ASSERT_EQ(
        RecordManagerCall(kOpEndTransaction, file.block.data(), nullptr, &length, nullptr, 0, 0),
        0);
    EXPECT_EQ(
        RecordManagerCall(kOpEndTransaction, file.block.data(), nullptr, &length, nullptr, 0, 0),
        kStatusNoTransaction);
    ASSERT_EQ(file.Get(kOpGetFirst, 0), 0);
    EXPECT_EQ(file.record, "BBBB");
}

}  // namespace
}  // namespace vela
