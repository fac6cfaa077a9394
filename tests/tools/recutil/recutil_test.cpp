// The record file utility, run as offices and scripts run it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "recman/file_layout.hpp"
#include "recman/record_manager.hpp"
#include "recman/record_store.hpp"
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
    EXPECT_NE(Err().find("nothing loaded"), std::string::npos) << Err();
    // All or nothing: not even the good records before the failure.
    EXPECT_EQ(RunRecutil("unload " + data, folder.path()).output, "\x1A");
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

// A dictionary entry of 10-byte records whose key 0 (code, 1-4) is a null
// key (blank: left out of the index) and key 1 (name, 5-10) takes
// duplicates.
void WriteNullKeyDictionary(const std::string& path) {
    const std::vector<uint8_t> buffer = testing::CreateBuffer(
        10, {{{1, 4, recman::kKeyNull, ' '}}, {{5, 6, recman::kKeyDuplicates}}});
    std::string entry = {static_cast<char>(buffer.size() & 0xFF),
                         static_cast<char>(buffer.size() >> 8)};
    entry.append(buffer.begin(), buffer.end());
    testing::WriteFile(path, entry);
}

TEST_F(RecutilTest, UnloadWritesEveryRecordOfANullKeyFile) {
    WriteNullKeyDictionary(folder / "null.xdf");
    ASSERT_EQ(RunRecutil("create " + data + " " + (folder / "null.xdf"), folder.path()).exitCode, 0)
        << Err();
    const std::string records = "10,0002beta  \r\n10,    nocode\r\n10,0001alpha \r\n";
    testing::WriteFile(folder / "in.unl", records);
    ASSERT_EQ(RunRecutil("load " + data + " " + (folder / "in.unl"), folder.path()).exitCode, 0)
        << Err();
    // Key 0 leaves the blank code out: physical order, said on standard error.
    Result unload = RunRecutil("unload " + data, folder.path());
    EXPECT_EQ(unload.exitCode, 0) << Err();
    EXPECT_EQ(unload.output, records + "\x1A");
    EXPECT_NE(Err().find("physical order"), std::string::npos) << Err();
    // Key 1 has every record.
    unload = RunRecutil("unload " + data + " --key 1", folder.path());
    EXPECT_EQ(unload.exitCode, 0) << Err();
    EXPECT_EQ(unload.output, "10,0001alpha \r\n10,0002beta  \r\n10,    nocode\r\n\x1A");
    EXPECT_EQ(Err(), "");
}

TEST_F(RecutilTest, UnloadFailsWhenItWritesFewerRecordsThanTheFileHolds) {
    const std::string path = data;
    ASSERT_EQ(RunRecutil("create " + path + " " + (folder / "file.xdf"), folder.path()).exitCode,
              0);
    testing::WriteFile(folder / "in.unl", "10,0001alpha \r\n10,0002beta  \r\n");
    ASSERT_EQ(RunRecutil("load " + path + " " + (folder / "in.unl"), folder.path()).exitCode, 0);
    {
        // Damage key 1: one record's entry goes missing.
        std::shared_ptr<recman::RecordStore> store;
        ASSERT_EQ(recman::AcquireStore(path, store), 0);
        MDB_txn* txn = nullptr;
        ASSERT_EQ(mdb_txn_begin(store->env, nullptr, 0, &txn), 0);
        MDB_cursor* cursor = nullptr;
        ASSERT_EQ(mdb_cursor_open(txn, store->keys[1], &cursor), 0);
        MDB_val key, value;
        ASSERT_EQ(mdb_cursor_get(cursor, &key, &value, MDB_FIRST), 0);
        ASSERT_EQ(mdb_cursor_del(cursor, 0), 0);
        mdb_cursor_close(cursor);
        ASSERT_EQ(mdb_txn_commit(txn), 0);
    }
    Result unload = RunRecutil("unload " + path + " --key 1", folder.path());
    EXPECT_EQ(unload.exitCode, 1);
    EXPECT_NE(Err().find("1 records written but " + path + " holds 2"), std::string::npos) << Err();
    EXPECT_EQ(unload.output.find('\x1A'), std::string::npos);  // not a finished unload file
    EXPECT_EQ(RunRecutil("unload " + path + " --physical", folder.path()).exitCode, 0);
}

// recutil load run as a child reading an unload file through a pipe, so
// that the test decides when it is interrupted.
class InterruptedLoad {
  public:
    InterruptedLoad(const std::string& data, const std::string& pipePath,
                    const std::string& folder) {
        EXPECT_EQ(mkfifo(pipePath.c_str(), 0600), 0);
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open((folder + "load.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, 1);
            dup2(out, 2);
            execl(RECUTIL_PATH, RECUTIL_PATH, "load", data.c_str(), pipePath.c_str(), nullptr);
            _exit(127);
        }
        writer_ = open(pipePath.c_str(), O_WRONLY);
        EXPECT_GE(writer_, 0);
    }
    ~InterruptedLoad() {
        if (writer_ >= 0) close(writer_);
    }
    void Write(const std::string& bytes) {
        EXPECT_EQ(write(writer_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Waits until the loader sleeps (on the pipe, having inserted what it
    // read), then kills it.
    void KillWhenWaiting() {
        int sleeping = 0;
        for (int i = 0; i < 500 && sleeping < 5; ++i) {
            usleep(20000);
            std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
            std::string line;
            std::getline(stat, line);
            const std::size_t close = line.rfind(')');
            sleeping =
                close != std::string::npos && line.substr(close + 2, 1) == "S" ? sleeping + 1 : 0;
        }
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
    }

  private:
    pid_t pid_ = -1;
    int writer_ = -1;
};

std::string NumberedRecords(int from, int to) {
    std::string out;
    for (int i = from; i < to; ++i) {
        char record[32];
        snprintf(record, sizeof record, "10,%04dname%02d\r\n", i, i % 100);
        out += record;
    }
    return out;
}

TEST_F(RecutilTest, AnInterruptedLoadLeavesTheFileAsItWasAndRunsAgainWhole) {
    ASSERT_EQ(RunRecutil("create " + data + " " + (folder / "file.xdf"), folder.path()).exitCode,
              0);
    const std::string all = NumberedRecords(0, 9000);
    {
        InterruptedLoad load(data, folder / "pipe.unl", folder.path());
        // More than a pipe holds, so the loader has inserted most of it.
        load.Write(all.substr(0, 15 * 8000));
        load.KillWhenWaiting();
    }
    Result check = RunRecutil("check " + data, folder.path());
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_NE(check.output.find("sound, 0 records"), std::string::npos) << check.output;

    testing::WriteFile(folder / "all.unl", all);
    Result load = RunRecutil("load " + data + " " + (folder / "all.unl"), folder.path());
    EXPECT_EQ(load.exitCode, 0) << Err();
    EXPECT_EQ(load.output, "9000 records loaded\n");
    check = RunRecutil("check " + data, folder.path());
    EXPECT_NE(check.output.find("sound, 9000 records"), std::string::npos) << check.output;
    EXPECT_EQ(RunRecutil("unload " + data, folder.path()).output, all + "\x1A");
}

// An update refused part way inside a transaction, then the transaction
// committed: the file stays sound.
TEST_F(RecutilTest, CheckFindsTheFileSoundAfterAFailedUpdateInATransaction) {
    ASSERT_EQ(
        testing::CreateFile(data, testing::CreateBuffer(10, {{{1, 4, recman::kKeyModifiable}},
                                                             {{5, 6, recman::kKeyModifiable}}})),
        0);
    {
        testing::RecordFileClient file;
        ASSERT_EQ(file.Open(data), 0);
        ASSERT_EQ(file.Insert("0001alpha "), 0);
        ASSERT_EQ(file.Insert("0002beta  "), 0);
        ASSERT_EQ(file.Transaction(kOpBeginTransaction), 0);
        ASSERT_EQ(file.Get(kOpGetEqual, 0, "0001"), 0);
        ASSERT_EQ(file.Update("0003beta  "), kStatusDuplicateKey);
        ASSERT_EQ(file.Transaction(kOpEndTransaction), 0);
    }
    Result check = RunRecutil("check " + data, folder.path());
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_NE(check.output.find("sound, 2 records"), std::string::npos) << check.output;
}

}  // namespace
}  // namespace vela
