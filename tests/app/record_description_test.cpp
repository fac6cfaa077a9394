#include "app/records/record_description.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/records/record_layouts.hpp"
#include "platform/code_page_850.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

std::uint16_t Get16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

struct Segment {
    std::uint16_t position, length, flags;
    int key;
};

std::vector<Segment> Segments(const std::string& buffer) {
    std::vector<Segment> segments;
    const int keys = Get16(buffer, 4);
    std::size_t at = 16;
    for (int key = 0; key < keys; ++key) {
        for (bool more = true; more; at += 16) {
            const Segment segment{Get16(buffer, at), Get16(buffer, at + 2), Get16(buffer, at + 4),
                                  static_cast<std::uint8_t>(buffer[at + 14])};
            segments.push_back(segment);
            more = (segment.flags & 0x10) != 0;
        }
    }
    return segments;
}

std::vector<RecordFileDescription> Installed() {
    std::string error;
    auto files = ParseRecordDescription(testing::ReadFile(RECORD_DESCRIPTION_PATH), error);
    EXPECT_EQ(error, "");
    return files;
}

TEST(RecordDescription, KeysOfTheInstallationFiles) {
    // Position (1-based), length and flags of every segment, as the office's
    // files are keyed.
    const std::vector<std::pair<std::string, std::vector<Segment>>> expected = {
        {"VPropiet", {{1, 2, 0x00, 0}, {3, 40, 0x21, 1}}},
        {"VGrups", {{1, 4, 0x00, 0}}},
        {"VPagos",
         {{1, 4, 0x11, 0},
          {5, 4, 0x01, 0},
          {5, 4, 0x01, 1},
          {69, 2, 0x11, 2},
          {5, 4, 0x01, 2},
          {1, 2, 0x11, 3},
          {69, 2, 0x11, 3},
          {5, 4, 0x01, 3}}},
        {"Industri", {{1, 2, 0x00, 0}, {3, 40, 0x21, 1}, {442, 17, 0x01, 2}}},
        {"UIndFami", {{1, 2, 0x00, 0}}},
        {"VCapPeri", {{1, 4, 0x10, 0}, {5, 4, 0x00, 0}}},
        {"VLinPeri", {{1, 4, 0x10, 0}, {5, 4, 0x10, 0}, {9, 2, 0x04, 0}}},
        {"UTerrito", {{1, 1, 0x00, 0}}},
        {"UFiscal", {{1, 14, 0x00, 0}}},
    };
    const auto files = Installed();
    ASSERT_EQ(files.size(), expected.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].name, expected[i].first);
        const std::string buffer = CreateBuffer(files[i]);
        EXPECT_EQ(Get16(buffer, 0), files[i].recordLength);
        const auto segments = Segments(buffer);
        ASSERT_EQ(segments.size(), expected[i].second.size()) << files[i].name;
        for (std::size_t s = 0; s < segments.size(); ++s) {
            EXPECT_EQ(segments[s].position, expected[i].second[s].position) << files[i].name << s;
            EXPECT_EQ(segments[s].length, expected[i].second[s].length) << files[i].name << s;
            EXPECT_EQ(segments[s].flags, expected[i].second[s].flags) << files[i].name << s;
            EXPECT_EQ(segments[s].key, expected[i].second[s].key) << files[i].name << s;
        }
        // The "UPPER" sequence follows the last segment exactly when a key uses it.
        const std::size_t end = 16 + 16 * segments.size();
        const bool collated = files[i].name == "VPropiet" || files[i].name == "Industri";
        EXPECT_EQ(buffer.size(), end + (collated ? 265 : 0)) << files[i].name;
        if (collated) {
            EXPECT_EQ(buffer.substr(end, 9),
                      "\xAC"
                      "UPPER   ");
        }
    }
}

TEST(RecordDescription, DictionaryEntriesAreTheGeneratedFiles) {
    const auto files = Installed();
    ASSERT_EQ(files.size(), kRecordFiles.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string entry = DictionaryEntry(files[i]);
        EXPECT_EQ(Get16(entry, 0), entry.size() - 2);
        EXPECT_EQ(entry.substr(2), CreateBuffer(files[i]));
        EXPECT_EQ(kRecordFiles[i].dictionaryEntry, entry) << files[i].name;
        EXPECT_EQ(testing::ReadFile(std::string(DICTIONARY_DIR) + "/" + files[i].name + ".xdf"),
                  entry);
        EXPECT_LE(entry.size() - 2, 1536u);  // the layer reads no more of it
    }
}

TEST(RecordDescription, UpperSequenceFoldsLettersToCapitalsWithoutAccents) {
    const std::string table = UpperCollatingSequence().substr(9);
    ASSERT_EQ(table.size(), 256u);
    const std::string lower = Cp850("aéñçàüÉÑÇ");
    const std::string folded = "AENCAUENC";
    for (std::size_t i = 0; i < lower.size(); ++i) {
        EXPECT_EQ(table[static_cast<std::uint8_t>(lower[i])], folded[i]) << i;
    }
    EXPECT_EQ(table['7'], '7');
    EXPECT_EQ(table['Z'], 'Z');
}

TEST(RecordDescription, MalformedDescriptionsAreRefusedWithTheirLine) {
    const std::string head = "file F\nnumber 1\npath DADES\\F\nlength 10\npage 512\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {head + "field a 8 4 text\nkey 0 unique a\n", "line 6: field a lies beyond the record"},
        {head + "field a 0 3 amount\n", "line 6: amount field a must be 4 bytes wide"},
        {head + "field a 0 2 money\n", "line 6: unknown field kind money"},
        {head + "field a 0 2 text\nfield a 2 2 text\n", "line 7: field a twice"},
        {head + "field a 0 2 text\nkey 1 unique a\n",
         "line 7: keys must be numbered 0, 1, 2 ... in order"},
        {head + "field a 0 2 text\nkey 0 unique b\n", "line 7: key segment names no field: b"},
        {head + "field a 0 2 text\nkey 0 unique a:lower\n",
         "line 7: unknown collating sequence in a:lower"},
        {head + "field a 0 2 count 5\nkey 0 unique a\n",
         "line 7: a repeated field cannot be a key segment"},
        {"number 3\n", "line 1: \"number\" before the first file"},
        {"file F\npage 700\n", "line 2: page size must be 512 ... 4096 in steps of 512"},
        {head + "field a 0 2 text\n", "file F lacks its number, path, length, page size or keys"},
    };
    for (const auto& [text, why] : cases) {
        std::string error;
        EXPECT_TRUE(ParseRecordDescription(text, error).empty()) << text;
        EXPECT_EQ(error, why);
    }
    std::string error;
    const auto good = ParseRecordDescription(
        head + "field a 0 2 count 4 # four\nfield b 8 2 code\nkey 0 duplicates b\n", error);
    ASSERT_EQ(good.size(), 1u) << error;
    EXPECT_EQ(good[0].fields[0].repeat, 4u);
}

}  // namespace
}  // namespace vela
