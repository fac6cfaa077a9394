// Other programs of the family read and write the same INI files while this
// one runs: a reader must never find the file missing or half written.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "env/ini_file.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

pid_t StartWriter(const std::string& file, const std::string& key, int times) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        bool ok = true;
        for (int i = 0; i < times; ++i) ok = IniWrite(file, "S", key, std::to_string(i)) && ok;
        ::_exit(ok ? 0 : 1);
    }
    return pid;
}

TEST(IniConcurrency, AReaderNeverSeesAMissingOrPartialFile) {
    testing::TempFolder folder;
    const std::string file = folder / "shared.ini";
    testing::WriteFile(file, "; shared\r\n[S]\r\na=0\r\nb=0\r\n\r\n[T]\r\nc=1\r\n");

    const pid_t first = StartWriter(file, "a", 300);
    const pid_t second = StartWriter(file, "b", 300);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);

    const std::regex complete(
        "; shared\r\n\\[S\\]\r\n(a=\\d+\r\nb=\\d+|b=\\d+\r\na=\\d+)\r\n\r\n"
        "\\[T\\]\r\nc=1\r\n");
    int reads = 0, bad = 0;
    int running = 2;
    while (running > 0) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream contents;
        if (in) contents << in.rdbuf();
        if (!in || !std::regex_match(contents.str(), complete)) ++bad;
        ++reads;
        int status = 0;
        while (::waitpid(-1, &status, WNOHANG) > 0) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            --running;
        }
    }
    EXPECT_EQ(bad, 0) << "of " << reads << " reads";
    EXPECT_GT(reads, 10);
    EXPECT_EQ(IniRead(file, "T", "c"), "1");
}

}  // namespace
}  // namespace vela
