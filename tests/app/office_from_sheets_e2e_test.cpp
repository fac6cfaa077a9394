// An office that loads its records from spreadsheets (CSV files) into an
// installation without records gets the same return files and certificates
// as the office whose records were written directly.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "app/records/record_layouts.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::ReadFile;
using testing::TempFolder;

int RunCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The return files and the text renderings of the documents under a folder,
// at any depth, keyed by return folder and name (documents by name alone,
// each run of the print program writing a folder named by the time), with
// their bytes. The check's report names its folder, so it is left out.
std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name == "REVISIO.TXT") continue;
        const bool document = name.rfind("DOC", 0) == 0 && entry.path().extension() == ".txt";
        if (name[0] != 'P' && !document) continue;
        files[entry.path().parent_path().filename().string().substr(0, 4) == "190M"
                  ? entry.path().parent_path().filename().string() + "/" + name
                  : name] = ReadFile(entry.path().string());
    }
    return files;
}

TEST(OfficeFromSheets, LoadedRecordsGiveTheSameReturnFilesAndCertificates) {
    TempFolder folder;
    const std::string bin = BIN_DIR;
    ASSERT_EQ(
        RunCommand(bin + "/vela-demo " + folder.path() + "direct --no-check-cases >/dev/null"), 0);
    ASSERT_EQ(RunCommand(bin + "/vela-demo " + folder.path() +
                         "loaded --no-data --no-check-cases --csv " + folder.path() +
                         "sheets >/dev/null"),
              0);
    for (const RecordFileInfo& file : kRecordFiles) {
        std::string path = folder.path() + "loaded/" + std::string(file.path) + ".dat";
        std::replace(path.begin(), path.end(), '\\', '/');
        ASSERT_EQ(RunCommand(bin + "/recutil import " + path + " " + folder.path() + "sheets/" +
                             std::string(file.name) + ".csv >/dev/null"),
                  0)
            << file.name;
    }
    for (const std::string office : {"direct", "loaded"}) {
        const std::string batch = "USER=clerk " + bin + "/vela-session " + folder.path() + office +
                                  " --date 20260115 -- KELD0190 --batch --closing 31.12.2025 "
                                  "--first 1 --last 9999 >/dev/null 2>&1 --kind ";
        // 5: written, with findings of the check (the same for both).
        const int written = RunCommand(batch +
                                       "S --contact-name \"GARCIA LOPEZ ANNA\" --contact-phone "
                                       "933000000");
        EXPECT_TRUE(written == 0 || written == 5) << written;
        ASSERT_EQ(RunCommand(batch + "C"), 0);
    }
    for (const std::string sub : {"AEAT", "DFA", "SESSIONS/clerk/ROVODOVO"}) {
        const auto direct = Files(folder.path() + "direct/" + sub);
        EXPECT_FALSE(direct.empty()) << sub;
        const auto loaded = Files(folder.path() + "loaded/" + sub);
        EXPECT_EQ(loaded.size(), direct.size()) << sub;
        for (const auto& [name, bytes] : direct) {
            const auto other = loaded.find(name);
            EXPECT_TRUE(other != loaded.end() && other->second == bytes) << sub << "/" << name;
        }
    }
}

}  // namespace
}  // namespace vela
