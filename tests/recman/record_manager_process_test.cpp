// Several processes on one file, and files that are not what they claim.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>

#include "recman/file_check.hpp"
#include "recman/key_order.hpp"
#include "recman/record_manager.hpp"
#include "recman/record_store.hpp"
#include "tests/recman/record_file_support.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::CreateBuffer;
using testing::CreateFile;
using testing::RecordFileClient;

class ProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = folder / "shared.dat";
        ASSERT_EQ(CreateFile(path, CreateBuffer(8, {{{1, 8, 0}}})), 0);
        RecordFileClient file;
        ASSERT_EQ(file.Open(path), 0);
        for (const char* code : {"AAAAAAAA", "BBBBBBBB"}) ASSERT_EQ(file.Insert(code), 0);
    }
    void TearDown() override {
        uint16_t length = 0;
        uint8_t block[128] = {};
        RecordManagerCall(kOpReset, block, nullptr, &length, nullptr, 0, 0);
    }

    // Runs body in a child process; its return value is the exit code.
    template <typename Body>
    pid_t Spawn(Body body) {
        const pid_t pid = fork();
        if (pid == 0) _exit(body());
        return pid;
    }
    static int ExitCode(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    testing::TempFolder folder;
    std::string path;
};

// A pipe the child writes one byte to when it has done its part.
struct Signal {
    Signal() { EXPECT_EQ(pipe(fds), 0); }
    ~Signal() {
        close(fds[0]);
        close(fds[1]);
    }
    void Raise() { (void)!write(fds[1], "x", 1); }
    void Await() {
        char c;
        (void)!read(fds[0], &c, 1);
    }
    int fds[2];
};

TEST_F(ProcessTest, ALockedRecordGives84ToAnotherProcess) {
    RecordFileClient holder;
    ASSERT_EQ(holder.Open(path), 0);
    ASSERT_EQ(holder.Get(kOpGetFirst + kLockNoWaitBias, 0), 0);
    const pid_t child = Spawn([&] {
        RecordFileClient other;
        if (other.Open(path) != 0) return 10;
        if (other.Get(kOpGetFirst + kLockNoWaitBias, 0) != kStatusRecordInUse) return 11;
        if (other.Get(kOpGetLast + kLockNoWaitBias, 0) != 0) return 12;  // another record is free
        if (other.Get(kOpGetFirst, 0) != 0) return 13;  // reading without a lock is fine
        return 0;
    });
    EXPECT_EQ(ExitCode(child), 0);
}

TEST_F(ProcessTest, UpdateAndDeleteOfARecordLockedByAnotherProcessGive84) {
    Signal locked;
    const pid_t holder = Spawn([&] {
        RecordFileClient file;
        if (file.Open(path) != 0 || file.Get(kOpGetFirst + kLockNoWaitBias, 0) != 0) return 1;
        locked.Raise();
        pause();
        return 0;
    });
    locked.Await();
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    ASSERT_EQ(file.Get(kOpGetFirst, 0), 0);  // reading it is fine
    EXPECT_EQ(file.Update("AAAAAAAA"), kStatusRecordInUse);
    EXPECT_EQ(file.Delete(), kStatusRecordInUse);
    // Not inside a transaction either, and a refused operation leaves it open.
    ASSERT_EQ(file.Transaction(kOpBeginTransaction), 0);
    EXPECT_EQ(file.Delete(), kStatusRecordInUse);
    ASSERT_EQ(file.Get(kOpGetLast, 0), 0);
    EXPECT_EQ(file.Update("BBBBBBBB"), 0);  // the other record is free
    ASSERT_EQ(file.Transaction(kOpEndTransaction), 0);
    std::vector<uint8_t> stat;
    ASSERT_EQ(file.Stat(stat), 0);
    EXPECT_EQ(stat[6], 2);
    ASSERT_EQ(file.Get(kOpGetFirst, 0), 0);
    EXPECT_EQ(file.record, "AAAAAAAA");

    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    ASSERT_EQ(file.Get(kOpGetFirst, 0), 0);
    EXPECT_EQ(file.Delete(), 0);
    EXPECT_TRUE(recman::CheckRecordFile(path).Sound());
}

// A record changed inside a transaction stays locked until the transaction
// ends, so no one locks it and reads the value from before the change.
TEST_F(ProcessTest, ARecordChangedInATransactionIsLockedUntilItEnds) {
    Signal changed, go;
    const pid_t writer = Spawn([&] {
        RecordFileClient file;
        if (file.Open(path) != 0 || file.Transaction(kOpBeginTransaction) != 0) return 1;
        if (file.Get(kOpGetEqual, 0, "AAAAAAAA") != 0 || file.Update("AAAAAAAA") != 0) return 2;
        if (file.Get(kOpGetEqual, 0, "BBBBBBBB") != 0 || file.Delete() != 0) return 3;
        changed.Raise();
        go.Await();
        return file.Transaction(kOpEndTransaction) == 0 ? 0 : 4;
    });
    changed.Await();
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    EXPECT_EQ(file.Get(kOpGetFirst + kLockNoWaitBias, 0), kStatusRecordInUse);
    EXPECT_EQ(file.Get(kOpGetLast + kLockNoWaitBias, 0), kStatusRecordInUse);
    go.Raise();
    ASSERT_EQ(ExitCode(writer), 0);
    ASSERT_EQ(file.Get(kOpGetFirst + kLockNoWaitBias, 0), 0);
    ASSERT_EQ(file.Get(kOpGetNext, 0), kStatusEndOfFile);
}

// Two clerks add to one counter record, each reading it with a lock before
// changing it: no change is lost.
TEST_F(ProcessTest, LockedReadAndUpdateLoseNoChange) {
    constexpr int kRounds = 400;
    const std::string counter = folder / "counter.dat";
    ASSERT_EQ(CreateFile(counter, CreateBuffer(16, {{{1, 8, 0}}})), 0);
    {
        RecordFileClient file;
        ASSERT_EQ(file.Open(counter), 0);
        ASSERT_EQ(file.Insert("COUNTER 00000000"), 0);
    }
    auto clerk = [&] {
        RecordFileClient file;
        if (file.Open(counter) != 0) return 1;
        for (int done = 0; done < kRounds;) {
            const int16_t status = file.Get(kOpGetEqual + kLockNoWaitBias, 0, "COUNTER ");
            if (status == kStatusRecordInUse) {
                sched_yield();
                continue;
            }
            if (status != 0) return 2;
            char next[32];
            snprintf(next, sizeof next, "COUNTER %08d", std::stoi(file.record.substr(8)) + 1);
            if (file.Update(next) != 0) return 3;
            ++done;
        }
        return 0;
    };
    const pid_t first = Spawn(clerk);
    const pid_t second = Spawn(clerk);
    EXPECT_EQ(ExitCode(first), 0);
    EXPECT_EQ(ExitCode(second), 0);
    RecordFileClient file;
    ASSERT_EQ(file.Open(counter), 0);
    ASSERT_EQ(file.Get(kOpGetEqual, 0, "COUNTER "), 0);
    EXPECT_EQ(file.record, "COUNTER 00000800");
}

TEST_F(ProcessTest, AnExclusiveOpeningGives85) {
    RecordFileClient holder;
    ASSERT_EQ(holder.Open(path, kOpenExclusive), 0);
    const pid_t child = Spawn([&] {
        RecordFileClient other;
        return other.Open(path) == kStatusFileInUse ? 0 : 1;
    });
    EXPECT_EQ(ExitCode(child), 0);
    holder.Close();
    const pid_t again = Spawn([&] {
        RecordFileClient other;
        return other.Open(path) == 0 ? 0 : 1;
    });
    EXPECT_EQ(ExitCode(again), 0);
}

TEST_F(ProcessTest, ALockDiesWithItsHolder) {
    Signal locked;
    const pid_t holder = Spawn([&] {
        RecordFileClient file;
        if (file.Open(path) != 0 || file.Get(kOpGetFirst + kLockNoWaitBias, 0) != 0) return 1;
        locked.Raise();
        pause();
        return 0;
    });
    locked.Await();
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    EXPECT_EQ(file.Get(kOpGetFirst + kLockNoWaitBias, 0), kStatusRecordInUse);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(file.Get(kOpGetFirst + kLockNoWaitBias, 0), 0);
}

TEST_F(ProcessTest, AWaitingLockReadGetsTheRecordWhenFreed) {
    Signal locked;
    const pid_t holder = Spawn([&] {
        RecordFileClient file;
        if (file.Open(path) != 0 || file.Get(kOpGetFirst + kLockNoWaitBias, 0) != 0) return 1;
        locked.Raise();
        usleep(200000);
        return 0;  // ending the process frees the lock
    });
    locked.Await();
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    EXPECT_EQ(file.Get(kOpGetFirst + kLockNoWaitBias, 0), kStatusRecordInUse);
    EXPECT_EQ(file.Get(kOpGetFirst + kLockWaitBias, 0), 0);
    EXPECT_EQ(file.record, "AAAAAAAA");
    EXPECT_EQ(ExitCode(holder), 0);
}

TEST_F(ProcessTest, AWriterKilledInTheMiddleOfALoadLeavesEveryCommittedRecord) {
    Signal started;
    const pid_t writer = Spawn([&] {
        RecordFileClient file;
        if (file.Open(path) != 0) return 1;
        uint16_t length = 0;
        for (uint32_t i = 0;; ++i) {
            // Batches of 50 records, as the record file utility loads.
            RecordManagerCall(kOpBeginTransaction, file.block.data(), nullptr, &length, nullptr, 0,
                              0);
            for (int j = 0; j < 50; ++j) {
                char code[9];
                snprintf(code, sizeof code, "%08u", i * 50 + j);
                if (file.Insert(code) != 0) return 2;
            }
            RecordManagerCall(kOpEndTransaction, file.block.data(), nullptr, &length, nullptr, 0,
                              0);
            if (i == 3) started.Raise();
        }
    });
    started.Await();
    usleep(50000);
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);

    const recman::CheckReport report = recman::CheckRecordFile(path);
    EXPECT_TRUE(report.Sound()) << (report.problems.empty() ? "" : report.problems[0]);
    EXPECT_GE(report.records, 2u + 200u);
    EXPECT_EQ((report.records - 2) % 50, 0u);  // whole batches only
    RecordFileClient file;
    ASSERT_EQ(file.Open(path), 0);
    // The numbered records run without a gap from 0.
    uint32_t expected = 0;
    for (int16_t status = file.Get(kOpGetFirst, 0); status == 0; status = file.Get(kOpGetNext, 0)) {
        if (file.record[0] == 'A' || file.record[0] == 'B') continue;
        char code[9];
        snprintf(code, sizeof code, "%08u", expected++);
        ASSERT_EQ(file.record, code);
    }
    EXPECT_EQ(expected + 2, report.records);
    // And the file still takes writes.
    EXPECT_EQ(file.Insert("ZZZZZZZZ"), 0);
}

TEST_F(ProcessTest, FilesThatAreNotRecordFilesGiveAStatus) {
    const std::string good = testing::ReadFile(path);
    std::mt19937 random(190);
    auto noise = [&](std::size_t size) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        return bytes;
    };
    std::string headerNoise = good;
    for (std::size_t i = 0; i < 200; ++i) headerNoise[i] = static_cast<char>(random());
    struct Case {
        const char* name;
        std::string contents;
    };
    const std::vector<Case> cases = {
        {"empty", ""},
        {"text", "Codi;Nom\r\n0001;Finques Pujol\r\n"},
        {"noise", noise(good.size())},
        {"truncated to a page", good.substr(0, 4096)},
        {"truncated by half", good.substr(0, good.size() / 2)},
        {"first page overwritten", headerNoise},
    };
    for (const Case& c : cases) {
        const std::string damaged = folder / "damaged.dat";
        unlink(damaged.c_str());
        unlink((damaged + "-lock").c_str());
        testing::WriteFile(damaged, c.contents);
        RecordFileClient file;
        const int16_t status = file.Open(damaged);
        EXPECT_TRUE(status == kStatusNotRecordFile || status == kStatusIoError)
            << c.name << ": " << status;
        EXPECT_FALSE(recman::CheckRecordFile(damaged).Sound()) << c.name;
    }
    // A folder is not a record file either.
    RecordFileClient file;
    EXPECT_EQ(file.Open(folder.path()), kStatusNotRecordFile);
}

// A page in the middle overwritten by another program: the engine may follow
// a page number past the end of the file or meet a page that is not what
// its parent says. Every read gives a record or a status, never a crash;
// each trial runs in a child process so that a crash fails the test instead
// of ending it.
TEST_F(ProcessTest, PagesOverwrittenInsideTheFileGiveAStatus) {
    const std::string big = folder / "big.dat";
    ASSERT_EQ(CreateFile(big, CreateBuffer(64, {{{1, 8, 0}}, {{9, 4, 1}}})), 0);
    {
        RecordFileClient file;
        ASSERT_EQ(file.Open(big), 0);
        uint16_t length = 0;
        RecordManagerCall(kOpBeginTransaction, file.block.data(), nullptr, &length, nullptr, 0, 0);
        for (int i = 0; i < 3000; ++i) {
            char code[16];
            snprintf(code, sizeof code, "%08d%04d", i * 7919 % 100000, i % 97);
            std::string record(code);
            record.resize(64, ' ');
            ASSERT_EQ(file.Insert(record), 0);
        }
        RecordManagerCall(kOpEndTransaction, file.block.data(), nullptr, &length, nullptr, 0, 0);
    }
    const std::string good = testing::ReadFile(big);
    const std::size_t pages = good.size() / 4096;
    ASSERT_GT(pages, 10u);
    int damagedTrials = 0;
    for (int trial = 0; trial < 40; ++trial) {
        std::mt19937 random(trial);
        std::string bad = good;
        const std::size_t page = 2 + random() % (pages - 2);
        for (std::size_t i = 0; i < 4096; ++i) bad[page * 4096 + i] = static_cast<char>(random());
        const std::string damaged = folder / "damaged.dat";
        unlink(damaged.c_str());
        unlink((damaged + "-lock").c_str());
        testing::WriteFile(damaged, bad);
        const pid_t child = Spawn([&] {
            RecordFileClient file;
            int16_t status = file.Open(damaged);
            if (status != 0)
                return status == kStatusIoError || status == kStatusNotRecordFile ? 2 : 1;
            for (int8_t key = 0; key < 2; ++key) {
                int count = 0;
                for (status = file.Get(kOpGetFirst, key); status == 0 && count < 10000;
                     status = file.Get(kOpGetNext, key)) {
                    ++count;
                }
                if (status == kStatusIoError) return 2;
                if (status != 0 && status != kStatusEndOfFile) return 1;
            }
            recman::CheckRecordFile(damaged);
            return 0;
        });
        const int code = ExitCode(child);
        ASSERT_TRUE(code == 0 || code == 2)
            << "trial " << trial << " page " << page << ": " << code;
        if (code == 2) ++damagedTrials;
    }
    EXPECT_GT(damagedTrials, 0);
}

TEST_F(ProcessTest, AReaderSeesAnotherProcesssCommitByItsNextOperation) {
    RecordFileClient reader;
    ASSERT_EQ(reader.Open(path), 0);
    ASSERT_EQ(reader.Get(kOpGetFirst, 0), 0);  // holds a snapshot with two records
    const pid_t writer = Spawn([&] {
        RecordFileClient file;
        if (file.Open(path) != 0) return 1;
        if (file.Insert("AAAAAAAB") != 0) return 2;  // between the two
        return file.Get(kOpGetEqual, 0, "AAAAAAAA") == 0 && file.Delete() == 0 ? 0 : 3;
    });
    ASSERT_EQ(ExitCode(writer), 0);
    // The current record was deleted meanwhile: Next goes on from its place.
    ASSERT_EQ(reader.Get(kOpGetNext, 0), 0);
    EXPECT_EQ(reader.record, "AAAAAAAB");
    std::vector<uint8_t> stat;
    ASSERT_EQ(reader.Stat(stat), 0);
    EXPECT_EQ(stat[6], 2);
}

TEST_F(ProcessTest, CheckFindsIndexesThatDisagreeWithTheRecords) {
    EXPECT_TRUE(recman::CheckRecordFile(path).Sound());
    {
        std::shared_ptr<recman::RecordStore> store;
        ASSERT_EQ(recman::AcquireStore(path, store), 0);
        MDB_txn* txn = nullptr;
        ASSERT_EQ(mdb_txn_begin(store->env, nullptr, 0, &txn), 0);
        std::string entry = "BBBBBBBB";
        recman::AppendPosition(entry, 2);
        MDB_val key{entry.size(), entry.data()};
        ASSERT_EQ(mdb_del(txn, store->keys[0], &key, nullptr), 0);
        ASSERT_EQ(mdb_txn_commit(txn), 0);
    }
    const recman::CheckReport report = recman::CheckRecordFile(path);
    EXPECT_FALSE(report.Sound());
    ASSERT_EQ(report.problems.size(), 2u);
    EXPECT_EQ(report.problems[0], "record 2 missing from key 0");
    EXPECT_EQ(report.problems[1], "key 0: distinct value count 2, found 1");
}

}  // namespace
}  // namespace vela
