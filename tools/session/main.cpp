// vela-session: runs a program of the family in a session prepared as the
// office's menu system prepares one (see session_setup.hpp).
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "env/ini_file.hpp"
#include "platform/clock.hpp"
#include "tools/session/session_setup.hpp"

namespace {

namespace fs = std::filesystem;
using vela::SessionOptions;

std::string Today() { return vela::LocalTimeText("%Y%m%d"); }

std::string OwnFolder(const char* argv0) {
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) self = fs::absolute(argv0, error);
    return vela::WithSeparator(self.parent_path().string());
}

// The user's login name: USER, LOGNAME, or the account of the process.
std::string LoginName() {
    for (const char* variable : {"USER", "LOGNAME"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    if (const passwd* account = getpwuid(getuid()); account != nullptr && account->pw_name) {
        return account->pw_name;
    }
    return "";
}

std::string Capitals(std::string name) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

// Runs path with its arguments and waits, ignoring the terminal's interrupt
// and quit keys meanwhile (the program answers them itself). The exit code
// of the program; 128 + the signal that ended it.
int RunAndWait(const std::string& path, const SessionOptions& options) {
    std::vector<std::string> words = {path};
    words.insert(words.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    struct sigaction ignore {
    }, oldInt{}, oldQuit{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &oldInt);
    sigaction(SIGQUIT, &ignore, &oldQuit);
    const pid_t child = fork();
    if (child == 0) {
        sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGQUIT, &oldQuit, nullptr);
        execv(path.c_str(), argv.data());
        std::fprintf(stderr, "vela-session: cannot run %s: %s\n", path.c_str(),
                     std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    int result = 127;
    if (child < 0) {
        std::fprintf(stderr, "vela-session: cannot start %s: %s\n", path.c_str(),
                     std::strerror(errno));
    } else {
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto parsed =
        vela::ParseSessionArguments(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!parsed) {
        std::fprintf(stderr, "vela-session: %s\n%s", error.c_str(), vela::kSessionUsage);
        return 2;
    }
    SessionOptions options = *parsed;
    if (options.help) {
        std::fputs(vela::kSessionUsage, stdout);
        return 0;
    }
    std::error_code fsError;
    const fs::path root = fs::absolute(options.root, fsError);
    if (fsError || !fs::is_directory(root)) {
        std::fprintf(stderr, "vela-session: the installation root %s is not a folder\n",
                     options.root.c_str());
        return 2;
    }
    const std::string login = LoginName();
    if (options.operatorName.empty()) options.operatorName = Capitals(login);

    // The session folder is kept after the run: the reports are written there.
    const std::string requested = options.sessionDir.empty()
                                      ? vela::DefaultSessionFolder(root.string(), login)
                                      : options.sessionDir;
    fs::create_directories(requested, fsError);
    const std::string sessionDir = vela::WithSeparator(fs::absolute(requested, fsError).string());
    if (fsError || !fs::is_directory(sessionDir)) {
        std::fprintf(stderr, "vela-session: cannot use the session folder %s\n", requested.c_str());
        return 1;
    }

    const std::string date = options.date.empty() ? Today() : options.date;
    for (const vela::SessionSetting& setting : vela::SessionSettings(options, sessionDir, date)) {
        if (!vela::IniWrite(sessionDir + setting.file, setting.section, setting.key,
                            setting.value)) {
            std::fprintf(stderr, "vela-session: cannot write %s%s\n", sessionDir.c_str(),
                         setting.file.c_str());
            return 1;
        }
    }

    const std::string exeDir = options.exeDir.empty()
                                   ? OwnFolder(argv[0])
                                   : vela::WithSeparator(fs::absolute(options.exeDir).string());
    setenv("RUKROOT", vela::WithSeparator(root.string()).c_str(), 1);
    setenv("RUKEXE", exeDir.c_str(), 1);
    setenv("RUKTMP", sessionDir.c_str(), 1);
    const std::string program =
        options.program.find('/') != std::string::npos ? options.program : exeDir + options.program;
    return RunAndWait(program, options);
}
