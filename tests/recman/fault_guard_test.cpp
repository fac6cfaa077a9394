// Faults inside the storage engine: a file cut short under a process that
// has it open. A read reports an I/O error and the process goes on; a write
// holds the engine's writer lock, so the process dies of the fault rather
// than carry on holding it, and the other processes go on writing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "recman/record_manager.hpp"
#include "tests/recman/record_file_support.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::CreateBuffer;
using testing::CreateFile;
using testing::RecordFileClient;

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = folder / "cut.dat";
        ASSERT_EQ(CreateFile(path, CreateBuffer(64, {{{1, 8, 0}}})), 0);
        RecordFileClient file;
        ASSERT_EQ(file.Open(path), 0);
        ASSERT_EQ(file.Transaction(kOpBeginTransaction), 0);
        for (int i = 0; i < 500; ++i) {
            char code[9];
            snprintf(code, sizeof code, "%08d", i);
            std::string record(code);
            record.resize(64, ' ');
            ASSERT_EQ(file.Insert(record), 0);
        }
        ASSERT_EQ(file.Transaction(kOpEndTransaction), 0);
        whole = testing::ReadFile(path);
        ASSERT_GT(whole.size(), 8u * 4096);
    }
    void TearDown() override {
        uint16_t length = 0;
        uint8_t block[128] = {};
        RecordManagerCall(kOpReset, block, nullptr, &length, nullptr, 0, 0);
    }

    // Runs body in a child that opens the file, cuts it down to its two
    // header pages and hands the opening to body; the child's wait status.
    template <typename Body>
    int InChildAfterCut(Body body) {
        const pid_t pid = fork();
        if (pid == 0) {
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            RecordFileClient file;
            if (file.Open(path) != 0 || file.Get(kOpGetFirst, 0) != 0) _exit(10);
            if (truncate(path.c_str(), 2 * 4096) != 0) _exit(11);
            _exit(body(file));
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }
    void Restore() {
        testing::WriteFile(path, whole);  // same file, so its lock table stays
    }

    testing::TempFolder folder;
    std::string path;
    std::string whole;
};

TEST_F(FaultTest, AReadFromAFileCutShortGivesAnIoError) {
    const int status = InChildAfterCut([](RecordFileClient& file) {
        if (file.Get(kOpGetLast, 0) != kStatusIoError) return 1;
        // The file is given up for the rest of the process.
        if (file.Get(kOpGetFirst, 0) != kStatusIoError) return 2;
        return 0;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FaultTest, AWriterThatFaultsDiesAndOthersGoOnWriting) {
    // This process has the file open throughout, so the engine's lock table
    // outlives the child.
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    ASSERT_EQ(file.Get(kOpGetFirst, 0), 0);
    const int status = InChildAfterCut([](RecordFileClient& child) {
        std::string record = "NEWCODE1";
        record.resize(64, ' ');
        child.Insert(record);
        return 3;  // the write came back: the writer lock would still be held
    });
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 3);
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    Restore();
    std::string record = "NEWCODE2";
    record.resize(64, ' ');
    EXPECT_EQ(file.Insert(record), 0);
    ASSERT_EQ(file.Get(kOpGetLast, 0), 0);
    EXPECT_EQ(file.record.substr(0, 8), "NEWCODE2");
    std::vector<uint8_t> stat;
    ASSERT_EQ(file.Stat(stat), 0);
    EXPECT_EQ(stat[6] | (stat[7] << 8), 501);
}

}  // namespace
}  // namespace vela
