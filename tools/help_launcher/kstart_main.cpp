// KSTART: the family's launcher for help pages. A Windows session's program
// runs "KSTART page" for the HTML page of its help; here the page is opened
// with the desktop's opener (xdg-open) and, where there is none or it
// fails, the clerk is told where the page is. The launcher runs in the
// program's terminal, handed over for the time it runs, so a message waits
// for Enter before the program takes the screen back.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/host_path.hpp"
#include "tools/help_launcher/launch_plan.hpp"

extern char** environ;

namespace {

constexpr const char* kUsage =
    "usage: KSTART PAGE\n"
    "  Opens the help page PAGE (a path; \"\\\" separators are accepted) with\n"
    "  the desktop's opener, xdg-open, or says where the page is when it\n"
    "  cannot be opened.\n";

// Runs the command without a shell and waits; true when it ended well.
bool Run(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The opener gets SIGCHLD's default action whatever this launcher was
    // given, so that it can wait for its own children too.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) return false;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Tell(const std::string& message) {
    std::fputs(message.c_str(), stdout);
    if (::isatty(STDIN_FILENO)) {
        std::fputs("Press Enter to go back.\n", stdout);
        std::fflush(stdout);
        std::string line;
        std::getline(std::cin, line);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Started with SIGCHLD ignored, the system would reap the opener by
    // itself and the wait for it would never succeed.
    std::signal(SIGCHLD, SIG_DFL);
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
        const bool help = argc == 2;
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    const std::string page = vela::ResolveHostPath(argv[1]);
    struct stat info;
    const bool exists = ::stat(page.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    const char* path = std::getenv("PATH");
    const vela::LaunchPlan plan =
        vela::PlanLaunch(page, exists, vela::FindInPath("xdg-open", path ? path : ""));
    if (plan.command.empty()) {
        Tell(plan.message);
        return 1;
    }
    if (!Run(plan.command)) {
        Tell(vela::OpenerFailedMessage(page));
        return 1;
    }
    return 0;
}
