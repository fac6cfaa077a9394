// The record file utility, run as offices and scripts run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "recman/file_layout.hpp"
#include "recman/record_manager.hpp"
#include "tests/recman/record_file_support.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

struct Result {
    int exitCode;
    std::string output;
};

Result RunRecutil(const std::string& arguments, const std::string& folder) {
    const std::string command = std::string(RECUTIL_PATH) + " " + arguments + " >" + folder +
                                "out.txt 2>" + folder + "err.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadFile(folder + "out.txt")};
}

class RecutilTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A dictionary entry: 10-byte records, key 0 code (1, 4) unique,
        // key 1 name (5, 6) duplicates, collating.
        const std::vector<uint8_t> buffer = testing::CreateBuffer(
            10, {{{1, 4, 0}}, {{5, 6, recman::kKeyDuplicates | recman::kKeyCollating}}},
            testing::UpperTable());
        std::string entry = {static_cast<char>(buffer.size() & 0xFF),
                             static_cast<char>(buffer.size() >> 8)};
        entry.append(buffer.begin(), buffer.end());
        testing::WriteFile(folder / "file.xdf", entry);
        data = folder / "file.dat";
    }
    std::string Err() { return testing::ReadFile(folder / "err.txt"); }

    testing::TempFolder folder;
    std::string data;
};

TEST_F(RecutilTest, CreateLoadUnloadRoundTrip) {
    ASSERT_EQ(RunRecutil("create " + data + " " + (folder / "file.xdf"), folder.path()).exitCode, 0)
        << Err();
    EXPECT_EQ(RunRecutil("create " + data + " " + (folder / "file.xdf"), folder.path()).exitCode,
              1);
    EXPECT_NE(Err().find("already exists"), std::string::npos);
    testing::WriteFile(folder / "in.unl",
                       "10,0003zeta  \r\n10,0001Alpha \r\n10,0002beta  \r\n\x1A");
    Result load = RunRecutil("load " + data + " " + (folder / "in.unl"), folder.path());
    ASSERT_EQ(load.exitCode, 0) << Err();
    EXPECT_EQ(load.output, "3 records loaded\n");
    EXPECT_EQ(RunRecutil("unload " + data, folder.path()).output,
              "10,0001Alpha \r\n10,0002beta  \r\n10,0003zeta  \r\n\x1A");
    EXPECT_EQ(RunRecutil("unload " + data + " --physical", folder.path()).output,
              "10,0003zeta  \r\n10,0001Alpha \r\n10,0002beta  \r\n\x1A");
    EXPECT_EQ(RunRecutil("unload " + data + " --key 1", folder.path()).output,
              "10,0001Alpha \r\n10,0002beta  \r\n10,0003zeta  \r\n\x1A");
    EXPECT_EQ(RunRecutil("unload " + data + " --key 2", folder.path()).exitCode, 1);
    Result check = RunRecutil("check " + data, folder.path());
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_NE(check.output.find("sound, 3 records"), std::string::npos);
    Result stat = RunRecutil("stat " + data, folder.path());
    EXPECT_EQ(stat.exitCode, 0);
    EXPECT_NE(stat.output.find("record length 10\n"), std::string::npos) << stat.output;
    EXPECT_NE(stat.output.find("records 3\n"), std::string::npos);
    EXPECT_NE(stat.output.find("segment position 5, length 6, duplicates collating"),
              std::string::npos);

    // The file carries the installation's owner name.
    testing::RecordFileClient file;
    EXPECT_EQ(file.Open(data), kStatusInvalidOwner);
}

TEST_F(RecutilTest, LoadReportsTheRecordThatFails) {
    ASSERT_EQ(RunRecutil("create " + data + " " + (folder / "file.xdf"), folder.path()).exitCode,
              0);
    testing::WriteFile(folder / "dup.unl", "10,0001Alpha \r\n10,0001Again \r\n");
    EXPECT_EQ(RunRecutil("load " + data + " " + (folder / "dup.unl"), folder.path()).exitCode, 1);
    EXPECT_NE(Err().find("record 2"), std::string::npos) << Err();
    EXPECT_NE(Err().find("status 5"), std::string::npos) << Err();
    testing::WriteFile(folder / "short.unl", "9,0001Alph\r\n");
    EXPECT_EQ(RunRecutil("load " + data + " " + (folder / "short.unl"), folder.path()).exitCode, 1);
    EXPECT_NE(Err().find("status 22"), std::string::npos) << Err();
    testing::WriteFile(folder / "bad.unl", "10,0004Delta \r\nrubbish");
    EXPECT_EQ(RunRecutil("load " + data + " " + (folder / "bad.unl"), folder.path()).exitCode, 1);
    EXPECT_NE(Err().find("after record 1"), std::string::npos) << Err();
}

TEST_F(RecutilTest, UsageAndDamagedFiles) {
    EXPECT_EQ(RunRecutil("", folder.path()).exitCode, 2);
    EXPECT_EQ(RunRecutil("frobnicate x", folder.path()).exitCode, 2);
    EXPECT_EQ(RunRecutil("unload x --key", folder.path()).exitCode, 2);
    Result help = RunRecutil("--help", folder.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("recutil create FILE XDF"), std::string::npos);
    testing::WriteFile(data, "not a record file at all");
    EXPECT_EQ(RunRecutil("check " + data, folder.path()).exitCode, 1);
    EXPECT_NE(Err().find("status 30"), std::string::npos) << Err();
    EXPECT_EQ(RunRecutil("stat " + (folder / "missing.dat"), folder.path()).exitCode, 1);
    EXPECT_NE(Err().find("status 12"), std::string::npos) << Err();
}

}  // namespace
}  // namespace vela
