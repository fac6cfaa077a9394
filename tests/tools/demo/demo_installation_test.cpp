#include "tools/demo/demo_installation.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "datenum/tax_numbers.hpp"
#include "env/ini_file.hpp"
#include "platform/code_page_850.hpp"
#include "tests/support/temp_folder.hpp"
#include "tools/demo/csv_file_sink.hpp"
#include "tools/demo/demo_arguments.hpp"
#include "tools/demo/unload_file.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

TEST(DemoArguments, CommandLines) {
    std::string error;
    auto a = ParseDemoArguments({"root"}, error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->office.owners, kSmallOffice);
    EXPECT_EQ(a->office.seed, 1u);
    EXPECT_FALSE(a->noData);
    EXPECT_TRUE(a->office.checkCases);
    EXPECT_FALSE(ParseDemoArguments({"root", "--no-check-cases"}, error)->office.checkCases);
    a = ParseDemoArguments({"--size", "large", "root", "--seed", "42", "--no-data", "--replace"},
                           error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->root, "root");
    EXPECT_EQ(a->office.owners, kLargeOffice);
    EXPECT_EQ(a->office.seed, 42u);
    EXPECT_TRUE(a->noData);
    EXPECT_TRUE(a->replace);
    EXPECT_EQ(ParseDemoArguments({"r", "--size", "250"}, error)->office.owners, 250);
    EXPECT_EQ(ParseDemoArguments({"r", "--csv", "sheets"}, error)->csvDir, "sheets");

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{}, "name the folder of the installation"},
        {{"r", "--size", "0"}, "the size is small, large or a number of owners from 1 to 9999: 0"},
        {{"r", "--size", "huge"},
         "the size is small, large or a number of owners from 1 to 9999: huge"},
        {{"r", "--seed", "-1"}, "the seed must be a whole number: -1"},
        {{"r", "--seed"}, "--seed needs a value"},
        {{"r", "--csv"}, "--csv needs a value"},
        {{"r", "--year", "25"}, "the year must be written with four digits: 25"},
        {{"r", "s"}, "only one installation root: s"},
        {{"r", "--fast"}, "unknown option --fast"},
    };
    for (const auto& [args, why] : bad) {
        EXPECT_FALSE(ParseDemoArguments(args, error));
        EXPECT_EQ(error, why);
    }
}

TEST(DemoInstallation, WritesVelaIniDictionariesAndTheRepositoryData) {
    TempFolder root, data;
    std::filesystem::create_directories(data / "FORMS");
    std::filesystem::create_directories(data / "LOCALE");
    WriteFile(data / "FORMS/KELD0190.KFM", "form");
    WriteFile(data / "LOCALE/KELD0190.LNG", "lang");
    WriteFile(data / "README", "not installation data");
    WriteFile(root / "Vela.ini", "[Propi]\r\nClau=1\r\n");
    std::string error;
    ASSERT_TRUE(WriteInstallationFiles({root.path() + "office", data.path(), {3, 12, 2025}}, error))
        << error;
    ASSERT_TRUE(WriteInstallationFiles({root.path(), data.path(), {3, 12, 2025}}, error));
    EXPECT_EQ(ReadFile(root / "FORMS/KELD0190.KFM"), "form");
    EXPECT_EQ(ReadFile(root / "LOCALE/KELD0190.LNG"), "lang");
    EXPECT_FALSE(FileExists(root / "README"));
    EXPECT_TRUE(std::filesystem::is_directory(root / "DADES"));
    EXPECT_TRUE(std::filesystem::is_directory(root / "TAULES"));
    for (const RecordFileInfo& file : kRecordFiles) {
        EXPECT_EQ(ReadFile(root / ("ddf/" + std::string(file.name) + ".xdf")),
                  file.dictionaryEntry);
    }
    const std::string ini = root / "Vela.ini";
    EXPECT_EQ(IniRead(ini, "Propi", "Clau"), "1");  // the office's own keys stay
    EXPECT_EQ(IniRead(ini, "Usuari", "Idioma"), "CAT");
    EXPECT_EQ(IniRead(ini, "Oficina", "RaoSocial"), Cp850("ADMINISTRACIÓ DE FINQUES PLANA SL"));
    const std::string nif = IniRead(ini, "Oficina", "NIF");
    EXPECT_EQ(nif.substr(0, 2), "ES");
    EXPECT_TRUE(IsValidTaxNumber(nif.substr(2)));
    EXPECT_EQ(IniRead(ini, "Presentador", "Telefon"), "938861234");
}

TEST(DemoInstallation, UnloadFilesHoldEveryRecord) {
    TempFolder folder;
    UnloadFileSink sink(folder.path());
    const DemoCounts counts = GenerateDemoOffice({9, 5, 2025}, sink);
    std::string error;
    ASSERT_TRUE(sink.Close(error)) << error;
    for (std::size_t i = 0; i < kRecordFiles.size(); ++i) {
        const auto records =
            ParseUnload(ReadFile(folder / (std::string(kRecordFiles[i].name) + ".unl")));
        ASSERT_TRUE(records) << kRecordFiles[i].name;
        EXPECT_EQ(records->size(), counts[i]) << kRecordFiles[i].name;
        for (const std::string& record : *records) {
            ASSERT_EQ(record.size(), kRecordFiles[i].recordLength);
        }
    }
}

TEST(DemoInstallation, CsvFilesHoldEveryRecordUnderAHeader) {
    TempFolder folder;
    CsvFileSink sink(folder.path());
    const DemoCounts counts = GenerateDemoOffice({9, 5, 2025}, sink);
    std::string error;
    ASSERT_TRUE(sink.Close(error)) << error;
    for (std::size_t i = 0; i < kRecordFiles.size(); ++i) {
        const std::string name(kRecordFiles[i].name);
        const std::string text = ReadFile(folder / (name + ".csv"));
        EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
                  counts[i] + 1)
            << name;
        EXPECT_EQ(text.substr(0, text.find(',')), std::string(kRecordFiles[i].fields[0].name));
    }
    // A folder that cannot be written is reported.
    CsvFileSink nowhere("/proc/version/sheets");
    EXPECT_FALSE(nowhere.Close(error));
    EXPECT_NE(error.find("cannot write the CSV file of VPropiet"), std::string::npos) << error;
}

TEST(DemoInstallation, NoDataWithCsvFilesLeavesTheRecordFilesEmpty) {
    TempFolder folder;
    const std::string command = std::string(VELA_DEMO_PATH) + " " + folder.path() +
                                "root --no-data --csv " + folder.path() + "sheets >" +
                                folder.path() + "out.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_NE(ReadFile(folder / "out.txt").find("sheets/VPagos.csv"), std::string::npos);
    EXPECT_GT(ReadFile(folder / "sheets/VPagos.csv").size(), 1000u);
    const std::string unload = std::string(RECUTIL_PATH) + " unload " + folder.path() +
                               "root/DADES/VPagos.dat >" + folder.path() + "pagos.unl";
    ASSERT_EQ(std::system(unload.c_str()), 0);
    EXPECT_EQ(ReadFile(folder / "pagos.unl"), "\x1A");  // no record
}

TEST(DemoInstallation, CommandReportsMisuse) {
    auto run = [](const std::string& arguments) {
        const int status = std::system(
            (std::string(VELA_DEMO_PATH) + " " + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run("/tmp/x --size none"), 2);
    EXPECT_EQ(run("/proc/version/x"), 1);
}

TEST(DemoInstallation, AnInstallationWithRecordFilesIsOnlyReplacedOnRequest) {
    TempFolder root;
    auto run = [&](const std::string& options) {
        const int status = std::system(
            (std::string(VELA_DEMO_PATH) + " " + root.path() + " " + options + " >/dev/null 2>&1")
                .c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("--size 2 --no-data"), 0);
    EXPECT_TRUE(FileExists(root / "DADES/VPagos.dat"));
    WriteFile(root / "Vela.ini", "[Oficina]\r\nNom=LA MEVA OFICINA\r\n");
    EXPECT_EQ(run("--size 2"), 1);
    EXPECT_EQ(IniRead(root / "Vela.ini", "Oficina", "Nom"), "LA MEVA OFICINA");
    EXPECT_EQ(run("--size 2 --replace"), 0);
    EXPECT_EQ(IniRead(root / "Vela.ini", "Oficina", "Nom"), "FINQUES PLANA DE VIC");
}

}  // namespace
}  // namespace vela
