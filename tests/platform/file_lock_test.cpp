#include "platform/file_lock.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using namespace std::chrono_literals;
using testing::TempFolder;

TEST(FileLock, OneHolderAtATimeEvenInOneProcess) {
    TempFolder folder;
    const std::string path = folder / "KELD0190.LCK";
    FileLock first, second;
    EXPECT_EQ(first.TryAcquire(path), FileLock::Result::acquired);
    EXPECT_TRUE(first.held());
    EXPECT_EQ(second.TryAcquire(path), FileLock::Result::busy);
    EXPECT_FALSE(second.held());
    first.Release();
    EXPECT_EQ(second.TryAcquire(path), FileLock::Result::acquired);
}

TEST(FileLock, WaitsUpToItsBoundAndSaysSoOnce) {
    TempFolder folder;
    const std::string path = folder / "KELD0190.LCK";
    FileLock holder, waiter;
    ASSERT_EQ(holder.TryAcquire(path), FileLock::Result::acquired);
    int told = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waiter.Acquire(path, 300ms, [&] { ++told; }), FileLock::Result::busy);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_EQ(told, 1);

    // Released meanwhile: the waiter gets it.
    std::thread releaser([&] {
        std::this_thread::sleep_for(200ms);
        holder.Release();
    });
    told = 0;
    EXPECT_EQ(waiter.Acquire(path, 10s, [&] { ++told; }), FileLock::Result::acquired);
    releaser.join();
    EXPECT_EQ(told, 1);
    // Free from the start: no word of waiting.
    waiter.Release();
    told = 0;
    EXPECT_EQ(waiter.Acquire(path, 10s, [&] { ++told; }), FileLock::Result::acquired);
    EXPECT_EQ(told, 0);
}

// A holder that dies (killed, crashed) lets the lock go with it.
TEST(FileLock, ReleasedWhenTheHolderDies) {
    TempFolder folder;
    const std::string path = folder / "KELD0190.LCK";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        FileLock lock;
        if (lock.TryAcquire(path) != FileLock::Result::acquired) ::_exit(1);
        char c = 1;
        if (::write(ready[1], &c, 1) != 1) ::_exit(2);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    FileLock lock;
    EXPECT_EQ(lock.TryAcquire(path), FileLock::Result::busy);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(lock.Acquire(path, 5s, nullptr), FileLock::Result::acquired);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(FileLock, NeverThroughALinkAndSaysWhyItFails) {
    TempFolder folder;
    std::filesystem::create_symlink(folder / "elsewhere", folder / "KELD0190.LCK");
    FileLock lock;
    EXPECT_EQ(lock.TryAcquire(folder / "KELD0190.LCK"), FileLock::Result::failed);
    EXPECT_NE(lock.error().find(folder / "KELD0190.LCK"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere"));
    EXPECT_EQ(lock.TryAcquire(folder / "missing/KELD0190.LCK"), FileLock::Result::failed);
}

}  // namespace
}  // namespace vela
