// check190 as an office runs it: files and folders given on the command
// line, one line a finding, the exit status by the worst finding, the texts
// in the session's language.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// A declarant record of an owner without payees: sound but for the
// declaration number given.
std::string DeclarantOnly(const std::string& taxNumber, const std::string& declarationNumber) {
    std::string r(500, ' ');
    const auto put = [&r](std::size_t position, const std::string& text) {
        r.replace(position - 1, text.size(), text);
    };
    put(1, "11902025" + taxNumber + "PUIG JOSEP");
    put(58, "T933000000GARCIA LOPEZ ANNA");
    put(108, declarationNumber);
    put(123, std::string(13, '0') + "000000000 " + std::string(30, '0'));
    return r + "\r\n";
}

class Check190 : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(returns()); }
    std::string returns() const { return folder_.path() + "AEAT/190M2025.0A/"; }
    int Run(const std::string& arguments, const std::string& program = "check190") {
        const std::string command = std::string(BIN_DIR) + "/" + program + " " + arguments + " > " +
                                    folder_.path() + "out.txt 2> " + folder_.path() + "err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Output() const { return ReadFile(folder_.path() + "out.txt"); }
    std::string Errors() const { return ReadFile(folder_.path() + "err.txt"); }

    TempFolder folder_;
};

TEST_F(Check190, ExitStatusFollowsTheWorstFinding) {
    WriteFile(returns() + "P0001", DeclarantOnly("12345678Z", "1901234567890"));
    EXPECT_EQ(Run(returns() + "P0001"), 0);
    EXPECT_EQ(Output(), "");

    WriteFile(returns() + "P0002", DeclarantOnly("12345678Z", "1900000000000"));
    EXPECT_EQ(Run(returns() + "P0002"), 1);
    EXPECT_EQ(Output(), returns() +
                            "P0002:1:108: W D6 NÚMERO DE DECLARACIÓ 1900000000000: NO ÉS ÚNIC, "
                            "UNA DECLARACIÓ COMPLEMENTÀRIA NO EL PODRÀ CITAR [1900000000000]\n");

    WriteFile(returns() + "P0003", DeclarantOnly("12345678A", "1901234567890"));
    EXPECT_EQ(Run(returns() + "P0001 " + returns() + "P0003"), 2);
    EXPECT_EQ(Output().rfind(returns() + "P0003:1:9: E D1 ", 0), 0u) << Output();

    // A path that cannot be read: the others are still checked.
    EXPECT_EQ(Run(folder_.path() + "missing " + returns() + "P0002"), 3);
    EXPECT_NE(Errors().find("missing cannot be read"), std::string::npos);
    EXPECT_NE(Output().find("P0002:1:108: W D6"), std::string::npos);
}

TEST_F(Check190, AFolderMeansEveryReturnFileUnderIt) {
    WriteFile(returns() + "P0001", DeclarantOnly("12345678Z", "1901234567890"));
    WriteFile(returns() + "P0003", DeclarantOnly("12345678A", "1901234567890"));
    WriteFile(returns() + "REVISIO.TXT", "not a return file\r\n");
    EXPECT_EQ(Run(folder_.path()), 2);
    EXPECT_EQ(Output().find("REVISIO"), std::string::npos);
    EXPECT_NE(Output().find("P0003:1:9: E D1 "), std::string::npos);
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(Output().find("usage: check190 [--listing FILE] PATH..."), std::string::npos);
    EXPECT_EQ(Run(""), 3);
    EXPECT_EQ(Run("--listing"), 3);
    EXPECT_EQ(Run("--listing " + folder_.path() + "missing " + returns() + "P0001"), 3);
    EXPECT_NE(Errors().find("missing cannot be read"), std::string::npos);
}

TEST_F(Check190, TextsInTheSessionsLanguage) {
    const std::string root = folder_.path() + "root";
    fs::create_directories(root + "/LOCALE");
    fs::copy_file(fs::path(VELA_SOURCE_DIR) / "data/LOCALE/KELD0190.LNG",
                  root + "/LOCALE/KELD0190.LNG");
    WriteFile(returns() + "P0003", DeclarantOnly("12345678A", "1901234567890"));
    EXPECT_EQ(Run(root + " --lang SPA --session " + folder_.path() + "session -- check190 " +
                      returns() + "P0003",
                  "vela-session"),
              2);
    EXPECT_EQ(Output(), returns() +
                            "P0003:1:9: E D1 NIF DEL PROPIETARIO CON EL CARÁCTER DE CONTROL "
                            "ERRÓNEO: CORRIJA LA FICHA DEL PROPIETARIO [12345678A] - "
                            "PROPIETARIO 0003\n");
}

}  // namespace
}  // namespace vela
