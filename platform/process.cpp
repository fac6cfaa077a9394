#include "platform/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/console.hpp"

extern char** environ;

namespace vela {
namespace {

// The signals the child gets with their default actions, whatever this
// program does with them.
constexpr int kDefaultSignals[] = {SIGINT,  SIGQUIT,  SIGTERM, SIGHUP, SIGTSTP,
                                   SIGCONT, SIGWINCH, SIGPIPE, SIGCHLD};

class SpawnAttributes {
  public:
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : kDefaultSignals) sigaddset(&defaults, signal);
        posix_spawnattr_setsigdefault(&attributes_, &defaults);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    const posix_spawnattr_t* get() const { return &attributes_; }

  private:
    posix_spawnattr_t attributes_;
};

pid_t Spawn(const std::vector<std::string>& arguments, const posix_spawn_file_actions_t* actions) {
    if (arguments.empty() || arguments[0].empty()) return -1;
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    SpawnAttributes attributes;
    pid_t pid = -1;
    const bool searchPath = arguments[0].find('/') == std::string::npos;
    const int status =
        searchPath ? posix_spawnp(&pid, argv[0], actions, attributes.get(), argv.data(), environ)
                   : posix_spawn(&pid, argv[0], actions, attributes.get(), argv.data(), environ);
    return status == 0 ? pid : -1;
}

int Wait(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// Ignores Ctrl+C and Ctrl+\ in this program for a scope, as a shell does
// while its foreground job runs.
class IgnoreInterrupts {
  public:
    IgnoreInterrupts() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGINT, &ignore, &interrupt_);
        ::sigaction(SIGQUIT, &ignore, &quit_);
    }
    ~IgnoreInterrupts() {
        ::sigaction(SIGINT, &interrupt_, nullptr);
        ::sigaction(SIGQUIT, &quit_, nullptr);
    }

  private:
    struct sigaction interrupt_ {};
    struct sigaction quit_ {};
};

}  // namespace

int RunProgram(const std::vector<std::string>& arguments) {
    PresentScreen();
    Console().Suspend();
    int result = -1;
    {
        IgnoreInterrupts ignore;
        const pid_t pid = Spawn(arguments, nullptr);
        if (pid > 0) result = Wait(pid);
    }
    Console().Resume(Screen());
    return result;
}

int RunPiped(const std::vector<std::string>& arguments, const std::string& input,
             std::string* output) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return -1;
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    // Without an output wanted the helper writes to nowhere: clipboard tools
    // leave a child behind that serves the selection and keeps its output
    // open, which must not keep the caller waiting.
    if (output != nullptr) {
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const pid_t pid = Spawn(arguments, &actions);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    if (pid < 0) {
        ::close(in[1]);
        ::close(out[0]);
        return -1;
    }

    // Feed and drain together, so that neither side blocks on a full pipe.
    // A helper that stops reading gets EPIPE, not a SIGPIPE for this program.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &previous);
    std::size_t written = 0;
    int writeFd = in[1];
    ::fcntl(writeFd, F_SETFL, ::fcntl(writeFd, F_GETFL) | O_NONBLOCK);
    if (input.empty()) {
        ::close(writeFd);
        writeFd = -1;
    }
    int readFd = out[0];
    while (writeFd >= 0 || readFd >= 0) {
        pollfd fds[2] = {{writeFd, POLLOUT, 0}, {readFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (writeFd >= 0 && fds[0].revents != 0) {
            const ssize_t n = ::write(writeFd, input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<std::size_t>(n);
            if (n < 0 && errno != EINTR && errno != EAGAIN) written = input.size();
            if (written >= input.size()) {
                ::close(writeFd);
                writeFd = -1;
            }
        }
        if (readFd >= 0 && fds[1].revents != 0) {
            char buffer[4096];
            const ssize_t n = ::read(readFd, buffer, sizeof buffer);
            if (n > 0) {
                if (output != nullptr) output->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(readFd);
                readFd = -1;
            }
        }
    }
    if (writeFd >= 0) ::close(writeFd);
    if (readFd >= 0) ::close(readFd);
    ::sigaction(SIGPIPE, &previous, nullptr);
    return Wait(pid);
}

int RunProgramCollectingOutput(const std::vector<std::string>& arguments, bool noInput,
                               std::string& output) {
    output.clear();
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (noInput) posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    PresentScreen();
    Console().Suspend();
    int result = -1;
    {
        IgnoreInterrupts ignore;
        const pid_t pid = Spawn(arguments, &actions);
        ::close(out[1]);
        if (pid > 0) {
            char buffer[4096];
            for (;;) {
                const ssize_t got = ::read(out[0], buffer, sizeof buffer);
                if (got > 0) {
                    output.append(buffer, static_cast<std::size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    break;
                }
            }
            result = Wait(pid);
        }
        ::close(out[0]);
    }
    posix_spawn_file_actions_destroy(&actions);
    Console().Resume(Screen());
    return result;
}

}  // namespace vela
