#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <string>

#include "platform/process.hpp"
#include "tests/support/temp_folder.hpp"
#include "tools/help_launcher/launch_plan.hpp"

namespace vela {
namespace {

using testing::ReadFile;
using testing::ScopedEnvironment;
using testing::TempFolder;
using testing::WriteFile;

void WriteScript(const std::string& path, const std::string& body) {
    WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
}

TEST(PlanLaunch, OpensWithTheOpenerOrSaysWhereThePageIs) {
    const LaunchPlan open = PlanLaunch("/srv/AJUDA/T.HTM", true, "/usr/bin/xdg-open");
    EXPECT_EQ(open.command, (std::vector<std::string>{"/usr/bin/xdg-open", "/srv/AJUDA/T.HTM"}));
    EXPECT_EQ(open.message, "");

    const LaunchPlan noOpener = PlanLaunch("/srv/AJUDA/T.HTM", true, "");
    EXPECT_TRUE(noOpener.command.empty());
    EXPECT_NE(noOpener.message.find("The help page is /srv/AJUDA/T.HTM\n"), std::string::npos);

    const LaunchPlan missing = PlanLaunch("/srv/AJUDA/T.HTM", false, "/usr/bin/xdg-open");
    EXPECT_TRUE(missing.command.empty());
    EXPECT_NE(missing.message.find("/srv/AJUDA/T.HTM does not exist"), std::string::npos);
}

TEST(FindInPath, FirstExecutableInTheList) {
    TempFolder folder;
    ::mkdir((folder / "a").c_str(), 0777);
    ::mkdir((folder / "b").c_str(), 0777);
    WriteFile(folder / "a/tool", "not executable");
    WriteScript(folder / "b/tool", "");
    EXPECT_EQ(FindInPath("tool", folder / "a" + ":" + folder / "b"), folder / "b/tool");
    EXPECT_EQ(FindInPath("tool", folder / "a"), "");
    EXPECT_EQ(FindInPath("tool", ""), "");
}

// The launcher itself, with a PATH holding only a stand-in opener (or none).
class KstartTest : public ::testing::Test {
  protected:
    int Kstart(const std::string& page, std::string* output) {
        return RunPiped({VELA_KSTART, page}, "", output);
    }
    TempFolder folder_;
};

TEST_F(KstartTest, HandsThePageToTheOpener) {
    ::mkdir((folder_ / "bin").c_str(), 0777);
    WriteScript(folder_ / "bin/xdg-open", "echo \"$@\" > \"" + folder_ / "opened" + "\"\n");
    WriteFile(folder_ / "T.HTM", "<html></html>");
    ScopedEnvironment path("PATH", (folder_ / "bin").c_str());
    std::string output;
    EXPECT_EQ(Kstart(folder_ / "T.HTM", &output), 0);
    EXPECT_EQ(ReadFile(folder_ / "opened"), folder_ / "T.HTM\n");
    EXPECT_EQ(output, "");
}

TEST_F(KstartTest, AcceptsTheProgramsBackslashPath) {
    ::mkdir((folder_ / "bin").c_str(), 0777);
    ::mkdir((folder_ / "AJUDA").c_str(), 0777);
    WriteScript(folder_ / "bin/xdg-open", "echo \"$@\" > \"" + folder_ / "opened" + "\"\n");
    WriteFile(folder_ / "AJUDA/T.HTM", "<html></html>");
    ScopedEnvironment path("PATH", (folder_ / "bin").c_str());
    EXPECT_EQ(Kstart(folder_ / "AJUDA\\T.HTM", nullptr), 0);
    EXPECT_EQ(ReadFile(folder_ / "opened"), folder_ / "AJUDA/T.HTM\n");
}

TEST_F(KstartTest, SaysWhereThePageIsWithoutAnOpener) {
    WriteFile(folder_ / "T.HTM", "<html></html>");
    ScopedEnvironment path("PATH", (folder_ / "nothing").c_str());
    std::string output;
    EXPECT_EQ(Kstart(folder_ / "T.HTM", &output), 1);
    EXPECT_NE(output.find("The help page is " + folder_ / "T.HTM"), std::string::npos);
}

TEST_F(KstartTest, SaysWhereThePageIsWhenTheOpenerFails) {
    ::mkdir((folder_ / "bin").c_str(), 0777);
    WriteScript(folder_ / "bin/xdg-open", "exit 3\n");
    WriteFile(folder_ / "T.HTM", "<html></html>");
    ScopedEnvironment path("PATH", (folder_ / "bin").c_str());
    std::string output;
    EXPECT_EQ(Kstart(folder_ / "T.HTM", &output), 1);
    EXPECT_NE(output.find("could not be opened"), std::string::npos);
    EXPECT_NE(output.find("The help page is " + folder_ / "T.HTM"), std::string::npos);
}

// A launcher started with SIGCHLD ignored (as some menu systems leave it)
// still waits for its opener and reports how it ended. A launcher that
// cannot wait would spin: the alarm, kept across exec, stops it then.
TEST_F(KstartTest, WaitsForTheOpenerWithSigchldIgnored) {
    ::mkdir((folder_ / "bin").c_str(), 0777);
    WriteScript(folder_ / "bin/xdg-open",
                "sleep 0.2; echo \"$@\" > \"" + folder_ / "opened" + "\"\n");
    WriteFile(folder_ / "T.HTM", "<html></html>");
    ScopedEnvironment path("PATH", (folder_ / "bin:/bin:/usr/bin").c_str());
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGCHLD, SIG_IGN);
        ::alarm(20);
        const std::string page = folder_ / "T.HTM";
        ::execl(VELA_KSTART, VELA_KSTART, page.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(folder_ / "opened"), folder_ / "T.HTM\n");
}

TEST_F(KstartTest, MissingPage) {
    std::string output;
    EXPECT_EQ(Kstart(folder_ / "NONE.HTM", &output), 1);
    EXPECT_NE(output.find("does not exist"), std::string::npos);
    EXPECT_EQ(Kstart("", nullptr), 1);
}

}  // namespace
}  // namespace vela
