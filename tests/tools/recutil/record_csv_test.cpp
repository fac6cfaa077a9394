// Records of the office's files as CSV values, and back.
#include "tools/recutil/record_csv.hpp"

#include <gtest/gtest.h>

#include "platform/code_page_850.hpp"

namespace vela::recutil {
namespace {

namespace L = layout;

const RecordFileInfo& File(std::string_view name) {
    const RecordFileInfo* file = RecordFileOfPath(name);
    EXPECT_NE(file, nullptr) << name;
    return *file;
}

std::string Value(const std::vector<std::string>& header, const std::vector<std::string>& values,
                  const std::string& name) {
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header[i] == name) return values[i];
    }
    return "(missing)";
}

TEST(RecordCsv, FilesAreFoundByTheirBaseNameInAnyCase) {
    EXPECT_EQ(RecordFileOfPath("/srv/vela/DADES/VPagos.dat")->name, "VPagos");
    EXPECT_EQ(RecordFileOfPath("taules/uterrito.DAT")->name, "UTerrito");
    EXPECT_EQ(RecordFileOfPath("C:\\VELA\\DADES\\Industri")->name, "Industri");
    EXPECT_EQ(RecordFileOfPath("DADES/VPagos2.dat"), nullptr);
    EXPECT_EQ(RecordFileOfPath(""), nullptr);
}

TEST(RecordCsv, HeaderNamesEveryFieldAndNumbersRepeatedOnes) {
    const auto header = CsvHeader(File("UIndFami"));
    ASSERT_EQ(header.size(), 12u + 20u);
    EXPECT_EQ(header[0], "payeeCode");
    EXPECT_EQ(header[12], "familyCounts1");
    EXPECT_EQ(header.back(), "familyCounts20");
    const auto columns = CsvColumns(File("UIndFami"));
    EXPECT_EQ(columns.back().offset, 42u + 19u * 2u);
}

TEST(RecordCsv, ValuesAreWrittenAsAPersonWritesThem) {
    std::string record(L::VPagos::kRecordLength, ' ');
    L::VPagos::paymentGroup.WriteDigits(record, "00420003");
    L::VPagos::paymentDate.WriteDigits(record, "20251231");
    L::VPagos::paymentBase.Write(record, 123456);
    L::VPagos::payeeCode.WriteDigits(record, "7");
    L::VPagos::paymentWithheld.Write(record, -5);
    const RecordFileInfo& file = File("VPagos");
    const auto values = CsvRecordValues(file, record);
    const auto header = CsvHeader(file);
    EXPECT_EQ(Value(header, values, "paymentGroup"), "00420003");
    EXPECT_EQ(Value(header, values, "paymentOwner"), "0042");
    EXPECT_EQ(Value(header, values, "paymentDate"), "31.12.2025");
    EXPECT_EQ(Value(header, values, "paymentBase"), "1234.56");
    EXPECT_EQ(Value(header, values, "payeeCode"), "0007");
    EXPECT_EQ(Value(header, values, "paymentWithheld"), "-0.05");

    std::string owner(L::VPropiet::kRecordLength, ' ');
    L::VPropiet::ownerName.Write(owner, Cp850("  MUÑOZ*JOSÉ"));
    L::VPropiet::ownerState.Write(owner, 1);
    const auto ownerValues = CsvRecordValues(File("VPropiet"), owner);
    const auto ownerHeader = CsvHeader(File("VPropiet"));
    EXPECT_EQ(Value(ownerHeader, ownerValues, "ownerName"), "  MUÑOZ*JOSÉ");  // leading kept
    EXPECT_EQ(Value(ownerHeader, ownerValues, "ownerState"), "1");
    EXPECT_EQ(Value(ownerHeader, ownerValues, "ownerTaxId"), "");

    std::string period(L::VCapPeri::kRecordLength, ' ');
    L::VCapPeri::periodDate.Write(period, std::string(4, static_cast<char>(0x80)));
    EXPECT_EQ(CsvRecordValues(File("VCapPeri"), period)[1], "");  // no date
}

TEST(RecordCsv, ARowBuildsTheRecordAndLeftOutFieldsAreBlankOrZero) {
    std::string error;
    const auto builder = CsvRecordBuilder::FromHeader(
        File("VPagos"), {"paymentDate", "paymentGroup", " paymentBase ", "payeeCode"}, error);
    ASSERT_TRUE(builder) << error;
    std::string record;
    ASSERT_TRUE(builder->Build({"1/2/2025", "42", "-12.5", " 7 "}, record, error)) << error;
    ASSERT_EQ(record.size(), L::VPagos::kRecordLength);
    EXPECT_EQ(L::VPagos::paymentGroup.Digits(record), "00000042");
    EXPECT_EQ(L::VPagos::paymentDate.Digits(record), "20250201");
    EXPECT_EQ(L::VPagos::paymentBase.Read(record), -1250);
    EXPECT_EQ(L::VPagos::payeeCode.Digits(record), "0007");
    EXPECT_EQ(L::VPagos::paymentWithheld.Read(record), 0);
    EXPECT_EQ(record[20], ' ');  // outside every field

    const auto payee = CsvRecordBuilder::FromHeader(File("Industri"), {"payeeName"}, error);
    ASSERT_TRUE(payee);
    ASSERT_TRUE(payee->Build({"Çaba Peña, S.L."}, record, error)) << error;
    EXPECT_EQ(L::Industri::payeeName.Read(record), Cp850("Çaba Peña, S.L.") + std::string(25, ' '));
    EXPECT_EQ(L::Industri::payeeCode.Digits(record), "0000");
    EXPECT_EQ(L::Industri::payeeFlag.Read(record), 0);
    EXPECT_EQ(L::Industri::payeeTaxId.Read(record), std::string(17, ' '));
}

TEST(RecordCsv, ValuesWrittenAndReadBackAreTheSame) {
    const RecordFileInfo& file = File("UIndFami");
    const auto header = CsvHeader(file);
    std::vector<std::string> values(header.size(), "");
    values[0] = "0012";
    values[1] = "1980";
    values[3] = "ES12345678Z";
    values[8] = "21474836.47";
    values[9] = "-21474836.48";
    values[12] = "-32768";
    values[31] = "32767";
    std::string error, record;
    const auto builder = CsvRecordBuilder::FromHeader(file, header, error);
    ASSERT_TRUE(builder->Build(values, record, error)) << error;
    auto expected = values;
    for (std::size_t i = 8; i < 12; ++i) {
        if (expected[i].empty()) expected[i] = "0.00";
    }
    for (std::size_t i = 12; i < 32; ++i) {
        if (expected[i].empty()) expected[i] = "0";
    }
    EXPECT_EQ(CsvRecordValues(file, record), expected);
}

TEST(RecordCsv, BadValuesAreRefusedWithTheColumnAndTheReason) {
    struct Case {
        const char* file;
        std::vector<std::string> header;
        std::vector<std::string> values;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"VPagos",
         {"paymentGroup", "paymentDate"},
         {"42", "31.02.2025"},
         "column 2 (paymentDate): there is no such date: \"31.02.2025\""},
        {"VPagos",
         {"paymentDate"},
         {"29.02.2025"},
         "column 1 (paymentDate): there is no such date: \"29.02.2025\""},
        {"VPagos",
         {"paymentDate"},
         {"31.12.25"},
         "column 1 (paymentDate): not a date written day.month.year (31.12.2025): \"31.12.25\""},
        {"VPagos",
         {"paymentDate"},
         {"2025-12-31"},
         "column 1 (paymentDate): not a date written day.month.year (31.12.2025): "
         "\"2025-12-31\""},
        {"VPagos",
         {"paymentBase"},
         {"1234,56"},
         "column 1 (paymentBase): not an amount in euros with a decimal point (1234.56): "
         "\"1234,56\""},
        {"VPagos",
         {"paymentBase"},
         {"1.234"},
         "column 1 (paymentBase): not an amount in euros with a decimal point (1234.56): "
         "\"1.234\""},
        {"VPagos",
         {"paymentBase"},
         {"21474836.48"},
         "column 1 (paymentBase): too large an amount (up to 21474836.47): \"21474836.48\""},
        {"VPagos",
         {"payeeCode"},
         {"12345"},
         "column 1 (payeeCode): not a code of up to 4 digits: \"12345\""},
        {"VPagos",
         {"payeeCode"},
         {"-1"},
         "column 1 (payeeCode): not a code of up to 4 digits: \"-1\""},
        {"UTerrito",
         {"territoryName"},
         {"Catalunya Nord"},
         "column 1 (territoryName): longer than 10 characters: \"Catalunya Nord\""},
        {"UTerrito",
         {"territoryName"},
         {"Łódź"},
         "column 1 (territoryName): a character the office's code page (850) does not have: "
         "\"Łódź\""},
        {"UTerrito",
         {"territoryName"},
         {"a\nb"},
         "column 1 (territoryName): a line break or control character cannot stand in a text: "
         "\"a\nb\""},
        {"UTerrito",
         {"territoryName"},
         {"\xC3"},
         "column 1 (territoryName): a character the office's code page (850) does not have: "
         "\"\xC3\""},
        {"VPropiet",
         {"ownerState"},
         {"256"},
         "column 1 (ownerState): not a whole number from 0 to 255: \"256\""},
        {"VLinPeri",
         {"lineNumber"},
         {"40000"},
         "column 1 (lineNumber): not a whole number from -32768 to 32767: \"40000\""},
        // Fields sharing bytes must agree: the owner is the start of the group.
        {"VPagos",
         {"paymentGroup", "paymentOwner"},
         {"00420001", "0043"},
         "column 1 (paymentGroup): \"00420001\" does not agree with column 2 (paymentOwner): "
         "\"0043\""},
    };
    for (const Case& c : cases) {
        std::string error, record;
        const auto builder = CsvRecordBuilder::FromHeader(File(c.file), c.header, error);
        ASSERT_TRUE(builder) << error;
        EXPECT_FALSE(builder->Build(c.values, record, error)) << c.values[0];
        EXPECT_EQ(error, c.error);
    }
    // Agreeing values are fine; a row must hold a value for every column.
    std::string error, record;
    const auto builder =
        CsvRecordBuilder::FromHeader(File("VPagos"), {"paymentOwner", "paymentGroup"}, error);
    EXPECT_TRUE(builder->Build({"42", "00420001"}, record, error)) << error;
    EXPECT_FALSE(builder->Build({"42"}, record, error));
    EXPECT_EQ(error, "1 values where the header names 2 columns");
}

TEST(RecordCsv, HeadersWithUnknownOrRepeatedNamesAreRefused) {
    std::string error;
    EXPECT_FALSE(CsvRecordBuilder::FromHeader(File("UTerrito"), {"territoryCode", "name"}, error));
    EXPECT_EQ(
        error,
        "column 2: name is not a field of UTerrito (its fields: territoryCode, territoryName)");
    EXPECT_FALSE(CsvRecordBuilder::FromHeader(
        File("UTerrito"), {"territoryName", "territoryCode", "territoryName"}, error));
    EXPECT_EQ(error, "column 3: territoryName stands twice (also column 1)");
}

}  // namespace
}  // namespace vela::recutil
