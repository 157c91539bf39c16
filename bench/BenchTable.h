// What every benchmark shares: the median of several timed runs and one table row per goal,
// so tools/bench.sh can put all of them in one table.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace bench {

using Clock = std::chrono::steady_clock;

inline double since(Clock::time_point begin) {
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

inline double seconds(const std::function<void()>& run) {
    const auto begin = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

// The machines are shared and noisy: one slow run must not decide a goal.
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    if (n == 0)
        return 0;
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline double medianSeconds(const std::function<void()>& run, int runs = 5) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(seconds(run));
    return median(times);
}

// One goal: our figure against its reference from the same run, met when ours / reference is
// at most `goal`. `unit` is "s" for seconds (printed in ms) or anything else printed as it is.
struct Row {
    std::string name;
    double ours = 0;
    double reference = 0;
    double goal = 1;
    std::string unit = "s";
    std::string referenceName;

    double ratio() const { return reference > 0 ? ours / reference : 1e9; }
    bool met() const { return ratio() <= goal; }
};

inline std::string figure(double value, const std::string& unit) {
    char text[64];
    if (unit == "s")
        std::snprintf(text, sizeof text, "%.1f ms", value * 1000);
    else
        std::snprintf(text, sizeof text, "%.1f %s", value, unit.c_str());
    return text;
}

// Prints the row as a Markdown table line on stdout; returns whether the goal was met.
inline bool print(const Row& row) {
    std::printf("| %s | %s | %s (%s) | %.2f | <= %.2f | %s |\n", row.name.c_str(),
                figure(row.ours, row.unit).c_str(), figure(row.reference, row.unit).c_str(),
                row.referenceName.c_str(), row.ratio(), row.goal, row.met() ? "met" : "MISSED");
    std::fflush(stdout);
    return row.met();
}

// Runs a program found on PATH with its output thrown away and waits for it.
inline bool runQuietly(std::vector<std::string> args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return failed == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace bench
