#include "recman/file_layout.hpp"

#include <gtest/gtest.h>

#include "recman/key_order.hpp"
#include "recman/record_manager.hpp"
#include "tests/recman/record_file_support.hpp"

namespace vela::recman {
namespace {

using testing::CreateBuffer;
using testing::SegmentDef;

struct RefusalCase {
    const char* name;
    std::vector<uint8_t> buffer;
    int16_t status;
};

TEST(FileLayoutTest, RefusesWhatItCannotStore) {
    std::vector<uint8_t> shortBuffer = CreateBuffer(100, {{{1, 4, 0}}});
    shortBuffer.resize(20);
    std::vector<uint8_t> noSignature =
        CreateBuffer(100, {{{1, 4, kKeyCollating}}}, testing::UpperTable());
    noSignature[32] = 0;
    std::vector<uint8_t> danglingSegment = CreateBuffer(100, {{{1, 4, kKeySegmented}}});
    const std::vector<RefusalCase> cases = {
        {"page size not a multiple of 512", CreateBuffer(100, {{{1, 4, 0}}}, "", 1000),
         kStatusPageSize},
        {"page size too large", CreateBuffer(100, {{{1, 4, 0}}}, "", 8192), kStatusPageSize},
        {"record length 0", CreateBuffer(0, {{{1, 4, 0}}}), kStatusInvalidRecordLength},
        {"no keys", CreateBuffer(100, {}), kStatusInvalidKeyNumber},
        {"segment past the record", CreateBuffer(100, {{{98, 4, 0}}}), kStatusInvalidKeyPosition},
        {"segment at position 0", CreateBuffer(100, {{{0, 4, 0}}}), kStatusInvalidKeyPosition},
        {"segment of length 0", CreateBuffer(100, {{{1, 0, 0}}}), kStatusInvalidKeyLength},
        {"key longer than 255", CreateBuffer(600, {{{1, 200, 0}, {201, 100, 0}}}),
         kStatusInvalidKeyLength},
        {"unknown flag", CreateBuffer(100, {{{1, 4, 0x100}}}), kStatusInvalidKeyPosition},
        {"collating flag without table", CreateBuffer(100, {{{1, 4, kKeyCollating}}}),
         kStatusInvalidCollating},
        {"collating table without signature", noSignature, kStatusInvalidCollating},
        {"buffer shorter than its keys", shortBuffer, kStatusDataBufferLength},
        {"segmented flag on the last segment", danglingSegment, kStatusDataBufferLength},
    };
    for (const RefusalCase& c : cases) {
        FileLayout layout;
        EXPECT_EQ(ParseFileLayout(c.buffer, layout), c.status) << c.name;
    }
}

TEST(FileLayoutTest, StatBufferRepeatsTheCreateBufferWithCounts) {
    const std::vector<uint8_t> buffer = CreateBuffer(
        128,
        {{{1, 4, kKeyDuplicates}, {5, 2, kKeyBinary}}, {{7, 10, kKeyCollating | kKeyDuplicates}}},
        testing::UpperTable());
    FileLayout layout;
    ASSERT_EQ(ParseFileLayout(buffer, layout), 0);
    ASSERT_EQ(layout.keys.size(), 2u);
    EXPECT_EQ(layout.keys[0].length, 6u);
    EXPECT_EQ(layout.keys[1].length, 10u);
    const uint32_t distinct[] = {7, 3};
    const std::vector<uint8_t> stat = StatBuffer(layout, 42, distinct);
    ASSERT_EQ(stat.size(), buffer.size());
    EXPECT_EQ(stat[6], 42);
    EXPECT_EQ(stat[16 + 6], 7);  // first segment of key 0
    EXPECT_EQ(stat[32 + 6], 7);  // second segment of key 0
    EXPECT_EQ(stat[48 + 6], 3);  // key 1
    std::vector<uint8_t> withoutCounts = stat;
    for (std::size_t at : {6, 16 + 6, 32 + 6, 48 + 6}) withoutCounts[at] = 0;
    EXPECT_EQ(withoutCounts, buffer);
}

TEST(KeyOrderTest, OrderBytesFollowTheSegmentKind) {
    const std::vector<uint8_t> buffer =
        CreateBuffer(16, {{{1, 2, kKeyBinary}, {3, 2, kKeyCollating}, {5, 2, kKeyDescending}}},
                     testing::UpperTable());
    FileLayout layout;
    ASSERT_EQ(ParseFileLayout(buffer, layout), 0);
    const uint8_t value[] = {0x01, 0x02, 'a', 'B', 0x10, 0xF0};
    std::string order;
    AppendOrderBytes(layout, layout.keys[0], value, order);
    const std::string expected = {'\x02', '\x01', 'A', 'B', '\xEF', '\x0F'};
    EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace vela::recman
