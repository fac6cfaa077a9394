// The pure parts of the record file layer: path splitting, lock mode
// letters, key lengths and comparable keys from a Stat buffer.
#include <gtest/gtest.h>

#include "recman/file_layout.hpp"
#include "records/key_layout.hpp"
#include "records/lock_mode.hpp"
#include "records/record_path.hpp"
#include "tests/recman/record_file_support.hpp"

namespace vela {
namespace {

TEST(RecordPathTest, SplitsFolderBaseAndExtension) {
    struct Case {
        const char* path;
        const char* folder;
        const char* base;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\VELA\\DADES\\VPropiet", "C:\\VELA\\DADES\\", "VPropiet", ".dat"},
        {"DADES\\VPagos.btr", "DADES\\", "VPagos", ".btr"},
        {"/srv/vela/DADES\\VGrups", "/srv/vela/DADES\\", "VGrups", ".dat"},
        {"C:\\VELA.2025\\DADES\\UFiscal", "C:\\VELA.2025\\DADES\\", "UFiscal", ".dat"},
        {"A:File.tar.gz", "A:", "File", ".tar.gz"},
        {"Plain", "", "Plain", ".dat"},
        {"DADES\\Trail.", "DADES\\", "Trail", "."},
    };
    for (const Case& c : cases) {
        const RecordPath parts = SplitRecordPath(c.path);
        EXPECT_EQ(parts.folder, c.folder) << c.path;
        EXPECT_EQ(parts.base, c.base) << c.path;
        EXPECT_EQ(parts.extension, c.extension) << c.path;
    }
    EXPECT_EQ(SplitRecordPath("DADES\\VPagos").Physical(), "DADES\\VPagos.dat");
}

TEST(LockModeTest, LettersAndTheSavedModes) {
    struct Case {
        const char* letters;
        int16_t start;
        int16_t mode;
        std::size_t stackSize;
    };
    const Case cases[] = {
        {"a", 0, 1, 0},     {"B", 0, 2, 0},      {"xyz", 2, 2, 0}, {"ad", 0, 0, 0},
        {"+d", 1, 0, 2},    {"+d-", 1, 1, 0},    {"-", 2, 2, 0},   {"+a+b", 0, 2, 4},
        {"+a+b-", 0, 1, 2}, {"+a+b--", 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::string stack;
        int16_t mode = c.start;
        ApplyLockMode(c.letters, 3, mode, stack);
        EXPECT_EQ(mode, c.mode) << c.letters;
        EXPECT_EQ(stack.size(), c.stackSize) << c.letters;
    }
    // "-" takes the newest pair of its own slot only.
    std::string stack;
    int16_t first = 1, second = 2;
    ApplyLockMode("+d", 1, first, stack);
    ApplyLockMode("+d", 2, second, stack);
    ApplyLockMode("-", 1, first, stack);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(stack, std::string("\x02\x02", 2));
}

std::string StatOf(const std::vector<uint8_t>& buffer) {
    return std::string(buffer.begin(), buffer.end());
}

TEST(KeyLayoutTest, KeyLengthsFollowTheSegments) {
    const std::string stat =
        StatOf(testing::CreateBuffer(50, {{{1, 4, 0}, {5, 2, recman::kKeyBinary}},
                                          {{10, 8, 0}},
                                          {{20, 1, 0}, {21, 2, 0}, {23, 3, 0}}}));
    EXPECT_EQ(StatRecordLength(stat), 50);
    EXPECT_EQ(StatKeyLength(stat, 0), 6);
    EXPECT_EQ(StatKeyLength(stat, 1), 8);
    EXPECT_EQ(StatKeyLength(stat, 2), 6);
    EXPECT_EQ(StatKeyLength(stat, 3), 0);  // key number equal to the number of keys
    EXPECT_EQ(StatKeyLength(stat, -1), 0);
    EXPECT_EQ(StatKeyLength("", 0), 0);
}

TEST(KeyLayoutTest, ComparableKeysReverseBinaryAndTranslateCollating) {
    const std::string stat = StatOf(testing::CreateBuffer(
        20, {{{1, 2, 0}}, {{1, 2, 0}, {3, 2, recman::kKeyBinary}, {5, 3, recman::kKeyCollating}}},
        testing::UpperTable()));
    EXPECT_EQ(ComparableKeyFromStat(stat, 0, "ab"), "ab");
    EXPECT_EQ(ComparableKeyFromStat(stat, 1,
                                    std::string("xy\x01\x02"
                                                "abc",
                                                7)),
              std::string("xy\x02\x01"
                          "ABC",
                          7));
    // A short value: the binary segment is padded with zero bytes, the
    // collating segment translated as far as the value goes.
    EXPECT_EQ(ComparableKeyFromStat(stat, 1, "xy\x05"), std::string("xy\x00\x05", 4));
    EXPECT_EQ(ComparableKeyFromStat(stat, 1,
                                    std::string("xy\x01\x02"
                                                "a",
                                                5)),
              std::string("xy\x02\x01"
                          "A",
                          5));
    EXPECT_EQ(ComparableKeyFromStat(stat, 5, "same"), "same");
    // Comparable forms of little-endian numbers order as the numbers do.
    EXPECT_LT(ComparableKeyFromStat(stat, 1, std::string("xy\xff\x00", 4)),
              ComparableKeyFromStat(stat, 1, std::string("xy\x00\x01", 4)));
}

}  // namespace
}  // namespace vela
