// Explicit transactions: an operation that fails inside one leaves the file
// as it was before that operation, and End Transaction commits only the
// operations that succeeded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recman/file_check.hpp"
#include "recman/file_layout.hpp"
#include "recman/record_manager.hpp"
#include "tests/recman/record_file_support.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using recman::kKeyModifiable;
using testing::CreateBuffer;
using testing::CreateFile;
using testing::Record;
using testing::RecordFileClient;

class TransactionTest : public ::testing::Test {
  protected:
    void TearDown() override {
        uint16_t length = 0;
        uint8_t block[128] = {};
        RecordManagerCall(kOpReset, block, nullptr, &length, nullptr, 0, 0);
    }

    // 6-byte records: key 0 code (1, 2) unique, key 1 name (3, 2) unique,
    // key 2 tag (5, 2) unique, with the given key flags.
    void MakeFile(uint16_t codeFlags, uint16_t nameFlags) {
        path = folder / "txn.dat";
        ASSERT_EQ(CreateFile(path, CreateBuffer(6, {{{1, 2, codeFlags}},
                                                    {{3, 2, nameFlags}},
                                                    {{5, 2, kKeyModifiable}}})),
                  0);
        ASSERT_EQ(file.Open(path), 0);
        ASSERT_EQ(file.Insert(Record(6, {{1, "01"}, {3, "AA"}, {5, "t1"}})), 0);
        ASSERT_EQ(file.Insert(Record(6, {{1, "02"}, {3, "BB"}, {5, "t2"}})), 0);
    }

    std::vector<std::string> Along(int8_t keyNumber) {
        std::vector<std::string> seen;
        for (int16_t status = file.Get(kOpGetFirst, keyNumber); status == 0;
             status = file.Get(kOpGetNext, keyNumber)) {
            seen.push_back(file.record);
        }
        return seen;
    }

    void ExpectSound() {
        const recman::CheckReport report = recman::CheckRecordFile(path);
        EXPECT_EQ(report.status, 0);
        EXPECT_TRUE(report.Sound()) << (report.problems.empty() ? "" : report.problems[0]);
    }

    testing::TempFolder folder;
    std::string path;
    RecordFileClient file;
};

TEST_F(TransactionTest, WritesRefusedForADuplicateLeaveEveryKeyAsItWas) {
    MakeFile(kKeyModifiable, kKeyModifiable);
    ASSERT_EQ(file.Transaction(kOpBeginTransaction), 0);
    ASSERT_EQ(file.Get(kOpGetEqual, 0, "01"), 0);
    // Key 0 would move to "03" before key 1 meets "BB", which is taken.
    EXPECT_EQ(file.Update(Record(6, {{1, "03"}, {3, "BB"}, {5, "t1"}})), kStatusDuplicateKey);
    // An insert is refused before it changes anything.
    EXPECT_EQ(file.Insert(Record(6, {{1, "06"}, {3, "X6"}, {5, "t1"}})), kStatusDuplicateKey);
    // The transaction goes on: later operations are kept.
    ASSERT_EQ(file.Insert(Record(6, {{1, "04"}, {3, "CC"}, {5, "t4"}})), 0);
    ASSERT_EQ(file.Get(kOpGetEqual, 0, "02"), 0);
    ASSERT_EQ(file.Update(Record(6, {{1, "05"}, {3, "BB"}, {5, "t2"}})), 0);
    ASSERT_EQ(file.Transaction(kOpEndTransaction), 0);

    ExpectSound();
    const std::vector<std::string> byCode = {"01AAt1", "04CCt4", "05BBt2"};
    EXPECT_EQ(Along(0), byCode);
    EXPECT_EQ(Along(1), (std::vector<std::string>{"01AAt1", "05BBt2", "04CCt4"}));
    EXPECT_EQ(Along(2), (std::vector<std::string>{"01AAt1", "05BBt2", "04CCt4"}));
    EXPECT_EQ(file.Get(kOpGetEqual, 0, "03"), kStatusKeyNotFound);
    EXPECT_EQ(file.Get(kOpGetEqual, 0, "06"), kStatusKeyNotFound);
    std::vector<uint8_t> stat;
    ASSERT_EQ(file.Stat(stat), 0);
    EXPECT_EQ(stat[6], 3);       // records
    EXPECT_EQ(stat[16 + 6], 3);  // distinct codes
}

TEST_F(TransactionTest, AnUpdateOfAKeyThatMayNotChangeLeavesTheEarlierKeysAsTheyWere) {
    MakeFile(kKeyModifiable, 0);
    ASSERT_EQ(file.Transaction(kOpBeginTransaction), 0);
    ASSERT_EQ(file.Get(kOpGetEqual, 0, "02"), 0);
    EXPECT_EQ(file.Update(Record(6, {{1, "09"}, {3, "ZZ"}, {5, "t2"}})), kStatusModifiableKey);
    // The record stays current, so a corrected update goes through.
    ASSERT_EQ(file.Update(Record(6, {{1, "02"}, {3, "BB"}, {5, "t9"}})), 0);
    ASSERT_EQ(file.Transaction(kOpEndTransaction), 0);

    ExpectSound();
    EXPECT_EQ(Along(0), (std::vector<std::string>{"01AAt1", "02BBt9"}));
    EXPECT_EQ(Along(2), (std::vector<std::string>{"01AAt1", "02BBt9"}));
    EXPECT_EQ(file.Get(kOpGetEqual, 0, "09"), kStatusKeyNotFound);
}

}  // namespace
}  // namespace vela
