#include "platform/linux/Spawn.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tavrin {

namespace {

struct ChildFailure {
    int stage; // 0 fork, 1 working folder, 2 exec
    int error;
};

[[noreturn]] void failInChild(int fd, int stage) {
    const ChildFailure failure{stage, errno};
    [[maybe_unused]] const ssize_t n = ::write(fd, &failure, sizeof failure);
    ::_exit(127);
}

// The watcher keeps nothing of ours open but the status pipe: a descriptor it held would
// outlive us (the instance lock among them). Told nothing when we have stopped listening.
[[noreturn]] void watchProgram(pid_t program, int watchFd) {
    if (::dup2(watchFd, 3) != 3)
        ::_exit(1);
    ::close_range(4, ~0U, 0);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, nullptr);
    int status = 0;
    while (::waitpid(program, &status, 0) < 0) {
        if (errno != EINTR)
            ::_exit(1);
    }
    [[maybe_unused]] const ssize_t n = ::write(3, &status, sizeof status);
    ::_exit(0);
}

} // namespace

// Only async-signal-safe calls between fork and exec: the program has other threads.
Started startDetached(const Launch& launch) {
    std::vector<char*> argv;
    for (const std::string& a : launch.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : launch.env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const char* folder = launch.folder.empty() ? nullptr : launch.folder.c_str();
    const int statusFd = launch.statusFd;
    const int outputFd = launch.outputFd;
    const int watchFd = launch.watchFd;

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return Started::failed;
    const pid_t middle = ::fork();
    if (middle < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return Started::failed;
    }
    if (middle == 0) {
        ::setsid();
        const pid_t child = ::fork();
        if (child < 0)
            failInChild(report[1], 0);
        if (child > 0)
            ::_exit(0);
        if (watchFd >= 0) {
            const pid_t program = ::fork();
            if (program < 0)
                failInChild(report[1], 0);
            if (program > 0)
                watchProgram(program, watchFd);
        }
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(SIGPIPE, &dfl, nullptr);
        ::sigaction(SIGCHLD, &dfl, nullptr);
        // Descriptors some library opened without CLOEXEC stay ours, not the program's.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        if (statusFd >= 0) {
            if (statusFd == 3 ? ::fcntl(3, F_SETFD, 0) != 0 : ::dup2(statusFd, 3) != 3)
                failInChild(report[1], 0);
        }
        if (outputFd >= 0 && (::dup2(outputFd, 1) != 1 || ::dup2(outputFd, 2) != 2))
            failInChild(report[1], 0);
        if (folder && ::chdir(folder) != 0)
            failInChild(report[1], 1);
        ::execve(argv[0], argv.data(), envp.data());
        failInChild(report[1], 2);
    }
    ::close(report[1]);
    while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    ChildFailure failure{};
    ssize_t n;
    do {
        n = ::read(report[0], &failure, sizeof failure);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    if (n != static_cast<ssize_t>(sizeof failure))
        return Started::yes;
    if (failure.stage == 1)
        return Started::folderMissing;
    if (failure.stage == 2 && !launch.toolRuns &&
        (failure.error == ENOENT || failure.error == ENOTDIR))
        return Started::fileMissing;
    return Started::failed;
}

// The tool's full path from PATH. An empty entry would mean the current folder, which is no
// place to take a tool from.
std::optional<std::string> findOnPath(std::string_view tool) {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/bin:/bin";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        if (!dir.empty()) {
            std::string candidate(dir);
            candidate += '/';
            candidate += tool;
            struct stat st {};
            if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos)
            break;
        dirs.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e)
        env.emplace_back(*e);
    return env;
}

} // namespace tavrin
