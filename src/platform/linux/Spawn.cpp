#include "platform/linux/Spawn.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
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
    if (::dup2(watchFd, 3) != 3) {
        ::_exit(1);
    }
    ::close_range(4, ~0U, 0);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, nullptr);
    int status = 0;
    while (::waitpid(program, &status, 0) < 0) {
        if (errno != EINTR) {
            ::_exit(1);
        }
    }
    [[maybe_unused]] const ssize_t n = ::write(3, &status, sizeof status);
    ::_exit(0);
}

// The program's side of a start, after the forks: signals as a new program expects them, our
// descriptors kept from it, its output and input, its folder, then the program itself.
[[noreturn]] void execProgram(char* const* argv, char* const* envp, const char* folder,
                              int outputFd, bool noInput, int reportFd) {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &dfl, nullptr);
    ::sigaction(SIGCHLD, &dfl, nullptr);
    // Descriptors some library opened without CLOEXEC stay ours, not the program's.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    if (outputFd >= 0 && (::dup2(outputFd, 1) != 1 || ::dup2(outputFd, 2) != 2)) {
        failInChild(reportFd, 0);
    }
    if (noInput) {
        const int null = ::open("/dev/null", O_RDONLY);
        if (null < 0 || (null != 0 && (::dup2(null, 0) != 0 || ::close(null) != 0))) {
            failInChild(reportFd, 0);
        }
    }
    if (folder && ::chdir(folder) != 0) {
        failInChild(reportFd, 1);
    }
    ::execve(argv[0], argv, envp);
    failInChild(reportFd, 2);
}

// startDetached, telling also the process group the program and its watcher run in: the
// session the go-between made, which lives as long as any of them.
Started start(const ProgramStart& launch, pid_t* group) {
    std::vector<char*> argv;
    for (const std::string& a : launch.argv) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : launch.env) {
        envp.push_back(const_cast<char*>(e.c_str()));
    }
    envp.push_back(nullptr);
    const char* folder = launch.folder.empty() ? nullptr : launch.folder.c_str();
    const int outputFd = launch.outputFd;
    const bool noInput = launch.noInput;
    const int watchFd = launch.watchFd;

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return Started::failed;
    }
    const pid_t middle = ::fork();
    if (middle < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return Started::failed;
    }
    if (middle == 0) {
        ::setsid();
        const pid_t child = ::fork();
        if (child < 0) {
            failInChild(report[1], 0);
        }
        if (child > 0) {
            ::_exit(0);
        }
        if (watchFd >= 0) {
            const pid_t program = ::fork();
            if (program < 0) {
                failInChild(report[1], 0);
            }
            if (program > 0) {
                watchProgram(program, watchFd);
            }
        }
        execProgram(argv.data(), envp.data(), folder, outputFd, noInput, report[1]);
    }
    ::close(report[1]);
    if (group) {
        *group = middle;
    }
    while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    ChildFailure failure{};
    ssize_t n;
    do {
        n = ::read(report[0], &failure, sizeof failure);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    if (n != static_cast<ssize_t>(sizeof failure)) {
        return Started::yes;
    }
    if (failure.stage == 1) {
        return Started::folderMissing;
    }
    if (failure.stage == 2 && !launch.toolRuns &&
        (failure.error == ENOENT || failure.error == ENOTDIR)) {
        return Started::fileMissing;
    }
    return Started::failed;
}

} // namespace

// Only async-signal-safe calls between fork and exec: the program has other threads.
Started startDetached(const ProgramStart& launch) {
    return start(launch, nullptr);
}

std::optional<int> runAndWait(ProgramStart launch, std::chrono::milliseconds limit) {
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    launch.watchFd = status[1];
    pid_t group = 0;
    const Started started = start(launch, &group);
    ::close(status[1]);
    if (started != Started::yes) {
        ::close(status[0]);
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd ready{status[0], POLLIN, 0};
    int polled = 0;
    do {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        polled = ::poll(&ready, 1, static_cast<int>(std::max<std::int64_t>(0, left.count())));
    } while (polled < 0 && errno == EINTR);
    int wait = 0;
    ssize_t n = -1;
    if (polled > 0) {
        do {
            n = ::read(status[0], &wait, sizeof wait);
        } while (n < 0 && errno == EINTR);
    } else {
        // The group outlives the go-between while the watcher or the program lives.
        ::kill(-group, SIGKILL);
    }
    ::close(status[0]);
    if (n != static_cast<ssize_t>(sizeof wait) || !WIFEXITED(wait)) {
        return std::nullopt;
    }
    return WEXITSTATUS(wait);
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
                ::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            break;
        }
        dirs.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        env.emplace_back(*e);
    }
    return env;
}

} // namespace tavrin
