#include "app/records/office_files.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "app/records/record_areas.hpp"
#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "records/record_file.hpp"
#include "tests/app/installation_fixture.hpp"
#include "tests/support/temp_folder.hpp"
#include "tools/demo/record_file_sink.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::TempFolder;
using testing::WriteFile;

namespace L = layout;

using testing::WriteDictionaries;

class OfficeFiles : public ::testing::Test {
  protected:
    void SetUp() override { Session.rootDir = root.path(); }
    void TearDown() override {
        std::int16_t status = 0;
        ResetRecordFiles(status);
        Session.rootDir.clear();
    }
    TempFolder root;
};

TEST_F(OfficeFiles, MissingFilesAreCreatedFromTheirDictionariesAndOpened) {
    WriteDictionaries(root);
    OpenOfficeFiles();
    for (const RecordFileInfo& file : kRecordFiles) {
        EXPECT_TRUE(FileExists(RecordManagerSink::DataFilePath(root.path(), file))) << file.name;
        std::int16_t keyLength = 0;
        std::int32_t recordLength = 0;
        KeyInfo(file.fileNumber, 0, keyLength, recordLength);
        EXPECT_EQ(recordLength, static_cast<std::int32_t>(file.recordLength)) << file.name;
        EXPECT_GT(keyLength, 0) << file.name;
        // Opening a number again is refused: all nine are taken.
        std::int16_t status = 0;
        OpenRecordFile(file.fileNumber, root.path() + std::string(file.path),
                       AreaOfFile(file.fileNumber)->data(), status);
        EXPECT_EQ(status, kRecordFileNumberInUse);
    }
    std::int16_t status = 0;
    FindRecord(L::VLinPeri::kFileNumber, 0, "", 1, status);
    EXPECT_EQ(status, 9);  // the period lines open, and are empty
}

TEST_F(OfficeFiles, ReadsOfTheDemoOfficeFillTheRecordAreas) {
    WriteDictionaries(root);
    RecordManagerSink sink(root.path());
    std::string error;
    ASSERT_TRUE(sink.Create(true, error)) << error;
    GenerateDemoOffice({3, 8, 2025}, sink);
    ASSERT_TRUE(sink.Close(error)) << error;
    OpenOfficeFiles();

    // Payments of owner 0002 along key 3: owner, payee, date.
    std::int16_t status = 0;
    const std::string owner = PackDigits("0002");
    FindRecord(L::VPagos::kFileNumber, 3, owner, 1, status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(L::VPagos::paymentOwner.Read(recordAreas.payment), owner);
    EXPECT_EQ(L::VPagos::payeeCode.Digits(recordAreas.payment), "0000");  // the office first

    // Every payee with a registered tax identity is found in UFiscal with
    // its 17-character tax id, cut by the layer to the 14 of the key.
    std::size_t found = 0;
    FindRecord(L::Industri::kFileNumber, 0, "", 1, status);
    for (; status == 0; StepRecord(L::Industri::kFileNumber, 1, status)) {
        const std::string taxId = L::Industri::payeeTaxId.Read(recordAreas.payee);
        L::UFiscal::fiscalName.Write(recordAreas.fiscal, "PRESET");
        std::int16_t fiscalStatus = 0;
        FindRecord(L::UFiscal::kFileNumber, 0, taxId, 0, fiscalStatus);
        if (fiscalStatus == 0) {
            ++found;
            EXPECT_EQ(L::UFiscal::fiscalTaxId.Read(recordAreas.fiscal), taxId.substr(0, 14));
        } else {
            // A failed look-up leaves the preset value in the area.
            EXPECT_EQ(L::UFiscal::fiscalName.Read(recordAreas.fiscal).substr(0, 6), "PRESET");
        }
    }
    EXPECT_GT(found, 0u);

    // Territories from the start, then forward through the whole file.
    std::string codes;
    FindRecord(L::UTerrito::kFileNumber, 0, "", 1, status);
    for (; status == 0; StepRecord(L::UTerrito::kFileNumber, 1, status)) {
        codes += L::UTerrito::territoryCode.Digits(recordAreas.territory) + " ";
    }
    EXPECT_EQ(codes, "00 01 02 03 04 05 06 07 10 ");
}

// The program opens the nine files at start-up, creating what is missing.
TEST(OfficeFilesProgram, KeldCreatesMissingFilesAtStartUp) {
    TempFolder root, session;
    WriteDictionaries(root);
    testing::WriteProgramForms(root);
    WriteFile(session / "VelaTerm.ini", "[Sistema]\r\nData=20250115\r\nIdioma=CAT\r\n");
    // The print program is found where the build puts it: a run without it fails.
    const std::string command = "env -i RUKROOT=" + root.path() + " RUKTMP=" + session.path() +
                                " RUKEXE=" BIN_DIR "/ " + KELD0190_PATH +
                                " --batch --kind R --closing 311224 --first 1 --last 9999"
                                " </dev/null >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    for (const RecordFileInfo& file : kRecordFiles) {
        EXPECT_TRUE(FileExists(RecordManagerSink::DataFilePath(root.path(), file))) << file.name;
    }
}

}  // namespace
}  // namespace vela
