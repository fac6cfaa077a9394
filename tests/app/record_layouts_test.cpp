#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/records/record_areas.hpp"
#include "app/records/record_description.hpp"
#include "app/records/record_layouts.hpp"
#include "datenum/calendar_dates.hpp"

namespace vela {
namespace {

const RecordFileInfo& FileNamed(std::string_view name) {
    for (const RecordFileInfo& file : kRecordFiles) {
        if (file.name == name) return file;
    }
    ADD_FAILURE() << "no file " << name;
    return kRecordFiles[0];
}

const RecordFieldInfo* FieldNamed(const RecordFileInfo& file, std::string_view name) {
    for (const RecordFieldInfo& field : file.fields) {
        if (field.name == name) return &field;
    }
    return nullptr;
}

TEST(RecordLayouts, TheNineFilesInTheOrderTheProgramOpensThem) {
    const std::vector<std::tuple<int, std::string_view, std::size_t>> expected = {
        {6, "DADES\\VPropiet", 1024}, {7, "DADES\\VGrups", 128},     {18, "DADES\\VPagos", 128},
        {20, "DADES\\Industri", 512}, {170, "DADES\\UIndFami", 128}, {30, "DADES\\VCapPeri", 128},
        {31, "DADES\\VLinPeri", 128}, {270, "TAULES\\UTerrito", 64}, {162, "DADES\\UFiscal", 128},
    };
    ASSERT_EQ(kRecordFiles.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(kRecordFiles[i].fileNumber, std::get<0>(expected[i]));
        EXPECT_EQ(kRecordFiles[i].path, std::get<1>(expected[i]));
        EXPECT_EQ(kRecordFiles[i].recordLength, std::get<2>(expected[i]));
        EXPECT_NE(AreaOfFile(kRecordFiles[i].fileNumber), nullptr);
    }
    EXPECT_EQ(AreaOfFile(99), nullptr);
    EXPECT_EQ(AreaOfFile(layout::VPagos::kFileNumber), &recordAreas.payment);
}

// The fields the program reads, as the office's record layouts place them.
TEST(RecordLayouts, FieldsLieWhereTheOfficeFilesKeepThem) {
    const std::vector<
        std::tuple<std::string_view, std::string_view, std::size_t, std::size_t, FieldKind>>
        expected = {
            {"VPropiet", "ownerCode", 0, 2, FieldKind::code},
            {"VPropiet", "ownerName", 2, 40, FieldKind::text},
            {"VPropiet", "ownerAddress3", 134, 40, FieldKind::text},
            {"VPropiet", "withholdingOwner", 663, 1, FieldKind::text},
            {"VPropiet", "ownerState", 716, 1, FieldKind::byte},
            {"VPropiet", "ownerTaxId", 809, 17, FieldKind::text},
            {"VGrups", "groupKey", 0, 4, FieldKind::code},
            {"VGrups", "groupTerritory", 49, 1, FieldKind::code},
            {"VPagos", "paymentGroup", 0, 4, FieldKind::code},
            {"VPagos", "paymentDate", 4, 4, FieldKind::date},
            {"VPagos", "paymentBase", 46, 4, FieldKind::amount},
            {"VPagos", "payeeCode", 68, 2, FieldKind::code},
            {"VPagos", "paymentWithheld", 72, 4, FieldKind::amount},
            {"Industri", "payeeName", 2, 40, FieldKind::text},
            {"Industri", "payeeAddress2", 94, 40, FieldKind::text},
            {"Industri", "payeeKind", 364, 1, FieldKind::text},
            {"Industri", "payeeFlag", 366, 2, FieldKind::count},
            {"Industri", "payeeEmail", 398, 40, FieldKind::text},
            {"Industri", "payeeTaxId", 441, 17, FieldKind::text},
            {"UIndFami", "birthYear", 2, 2, FieldKind::code},
            {"UIndFami", "spouseTaxId", 5, 17, FieldKind::text},
            {"UIndFami", "mobilityFlag", 25, 1, FieldKind::text},
            {"UIndFami", "childSupport", 38, 4, FieldKind::amount},
            {"VCapPeri", "periodDate", 4, 4, FieldKind::date},
            {"VCapPeri", "paidOnAccountG", 59, 4, FieldKind::amount},
            {"VCapPeri", "paidOnAccountA", 67, 4, FieldKind::amount},
            {"VCapPeri", "paidOnAccountH", 75, 4, FieldKind::amount},
            {"UTerrito", "territoryCode", 0, 1, FieldKind::code},
            {"UTerrito", "territoryName", 1, 10, FieldKind::text},
            {"UFiscal", "fiscalName", 14, 40, FieldKind::text},
        };
    for (const auto& [fileName, fieldName, offset, width, kind] : expected) {
        const RecordFieldInfo* field = FieldNamed(FileNamed(fileName), fieldName);
        ASSERT_NE(field, nullptr) << fileName << " " << fieldName;
        EXPECT_EQ(field->offset, offset) << fieldName;
        EXPECT_EQ(field->width, width) << fieldName;
        EXPECT_EQ(field->kind, kind) << fieldName;
    }
    // The twenty family counts follow one another from offset 42.
    EXPECT_EQ(layout::UIndFami::familyCounts[1].offset, 42u);
    EXPECT_EQ(layout::UIndFami::familyCounts[20].offset, 80u);
    EXPECT_EQ(layout::UIndFami::familyCounts.count, 20u);
}

// A distinct value for every field: written through its typed accessor, it
// reads back the same and leaves every byte outside the field as it was.
TEST(RecordLayouts, EveryFieldReadsBackWhatWasWrittenAtItsOffset) {
    for (const RecordFileInfo& file : kRecordFiles) {
        for (const RecordFieldInfo& info : file.fields) {
            for (std::size_t element = 0; element < info.repeat; ++element) {
                const std::size_t offset = info.offset + element * info.width;
                RecordArea area;
                area.fill('\x5A');
                const RecordArea before = area;
                const int seed = static_cast<int>(offset + 7 * element + 1);
                switch (info.kind) {
                    case FieldKind::text: {
                        const TextField field{offset, info.width};
                        std::string value;
                        for (std::size_t i = 0; i + 1 < info.width || i == 0; ++i) {
                            value += static_cast<char>('A' + (seed + i) % 26);
                        }
                        field.Write(area, value);
                        std::string expected = value;
                        expected.resize(info.width, ' ');
                        EXPECT_EQ(field.Read(area), expected) << file.name << " " << info.name;
                        break;
                    }
                    case FieldKind::code:
                    case FieldKind::date: {
                        const PackedField field{offset, info.width};
                        std::string digits;
                        for (std::size_t i = 0; i < 2 * info.width; ++i) {
                            digits += static_cast<char>('0' + (seed + 3 * i) % 10);
                        }
                        field.WriteDigits(area, digits);
                        EXPECT_EQ(field.Digits(area), digits) << file.name << " " << info.name;
                        EXPECT_EQ(field.Read(area), PackDigits(digits));
                        break;
                    }
                    case FieldKind::amount: {
                        const AmountField field{offset, 4};
                        const std::int32_t value = -123456789 + seed;
                        field.Write(area, value);
                        EXPECT_EQ(field.Read(area), value) << file.name << " " << info.name;
                        break;
                    }
                    case FieldKind::count: {
                        const CountField field{offset, 2};
                        const std::int16_t value = static_cast<std::int16_t>(-300 - seed);
                        field.Write(area, value);
                        EXPECT_EQ(field.Read(area), value) << file.name << " " << info.name;
                        break;
                    }
                    case FieldKind::byte: {
                        const ByteField field{offset, 1};
                        field.Write(area, static_cast<std::uint8_t>(seed));
                        EXPECT_EQ(field.Read(area), static_cast<std::uint8_t>(seed));
                        break;
                    }
                }
                for (std::size_t i = 0; i < area.size(); ++i) {
                    if (i < offset || i >= offset + info.width) {
                        ASSERT_EQ(area[i], before[i])
                            << file.name << " " << info.name << " touched byte " << i;
                    }
                }
            }
        }
    }
}

TEST(RecordLayouts, GeneratedAccessorsUseTheOfficeEncodings) {
    RecordArea area{};
    layout::VPagos::paymentBase.Write(area, -2);
    EXPECT_EQ(std::string(area.data() + 46, 4), std::string("\xFE\xFF\xFF\xFF", 4));
    layout::VPagos::paymentWithheld.Write(area, 0x01020304);
    EXPECT_EQ(std::string(area.data() + 72, 4), std::string("\x04\x03\x02\x01", 4));
    layout::VPagos::payeeCode.WriteDigits(area, "0000");
    EXPECT_EQ(std::string(area.data() + 68, 2), "\x80\x80");
    layout::VPagos::paymentDate.WriteDigits(area, "20251231");
    EXPECT_EQ(layout::VPagos::paymentDate.Read(area), PackDigits("20251231"));
    // A short code is right-aligned and zero-filled; a long one keeps its last digits.
    layout::VPropiet::ownerCode.WriteDigits(area, "42");
    EXPECT_EQ(layout::VPropiet::ownerCode.Digits(area), "0042");
    layout::VPropiet::ownerCode.WriteDigits(area, "123456");
    EXPECT_EQ(layout::VPropiet::ownerCode.Digits(area), "3456");
    // Texts are cut or blank-padded at their width.
    layout::UTerrito::territoryName.Write(area, "BIZKAIA-GIPUZKOA");
    EXPECT_EQ(layout::UTerrito::territoryName.Read(area), "BIZKAIA-GI");
    layout::Industri::payeeKind.Write(area, "");
    EXPECT_EQ(layout::Industri::payeeKind.Read(area), " ");
    layout::Industri::payeeFlag.Write(area, -1);
    EXPECT_EQ(layout::Industri::payeeFlag.Read(area), -1);
    layout::UIndFami::familyCounts[3].Write(area, 258);
    EXPECT_EQ(std::string(area.data() + 46, 2), "\x02\x01");
    // The group look-up presets the territory byte to 0, which no packed
    // territory code equals.
    layout::VGrups::groupTerritory.Write(area, std::string(1, '\0'));
    EXPECT_EQ(layout::VGrups::groupTerritory.Read(area), std::string(1, '\0'));
}

}  // namespace
}  // namespace vela
