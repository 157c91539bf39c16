// The program's files killed mid-write: after each kill the file is the old one or the new one,
// byte for byte, and nothing else in its folder goes by its name.
#include "support/HostScratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using tavrin::test::readHostFile;

int runWriter(const std::string& kind, const fs::path& folder, const char* mode) {
    const std::string writer = CRASH_WRITER;
    const std::string dir = folder.string();
    char* argv[] = {const_cast<char*>(writer.c_str()), const_cast<char*>(kind.c_str()),
                    const_cast<char*>(dir.c_str()), const_cast<char*>(mode), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, writer.c_str(), nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts the endless writer and gives its pid once it has said "go".
pid_t startLoop(const std::string& kind, const fs::path& folder) {
    int out[2];
    if (::pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string writer = CRASH_WRITER;
    const std::string dir = folder.string();
    char* argv[] = {const_cast<char*>(writer.c_str()), const_cast<char*>(kind.c_str()),
                    const_cast<char*>(dir.c_str()), const_cast<char*>("loop"), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, writer.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char buf[8];
    const bool started = spawned == 0 && ::read(out[0], buf, 3) == 3;
    ::close(out[0]);
    return started ? pid : -1;
}

// The atomic write's temporary of `name`: ".<name>.tavrin-<8 letters or digits>.tmp".
bool isTemporaryOf(const std::string& entry, const std::string& name) {
    const std::string start = "." + name + ".tavrin-";
    if (entry.size() != start.size() + 12 || entry.rfind(start, 0) != 0 ||
        entry.substr(entry.size() - 4) != ".tmp")
        return false;
    const std::string random = entry.substr(start.size(), 8);
    return std::all_of(random.begin(), random.end(),
                       [](unsigned char c) { return std::isalnum(c) != 0; });
}

// `name`: the file the writer keeps in `folder`; every other entry must be a temporary file
// of the atomic write, which no reader of `name` opens, or one of the user's files named like
// one, which the clean-up keeps.
void killWhileWriting(const std::string& kind, const std::string& name, int rounds) {
    const tavrin::test::TempFolder scratch("tavrin-crash-" + kind);
    const fs::path folder = scratch.path();
    const std::vector<std::string> usersFiles = {"." + name + ".backup", "." + name + ".a1B2c3",
                                                 "." + name + ".tavrin-a1B2c3d4"};
    for (const std::string& file : usersFiles)
        std::ofstream(folder / file) << "the user's";

    ASSERT_EQ(runWriter(kind, folder, "1"), 0);
    const std::string stateB = readHostFile(folder / name);
    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(runWriter(kind, folder, "0"), 0);
    const auto oneRun = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - before);
    const std::string stateA = readHostFile(folder / name);
    ASSERT_NE(stateA, stateB);
    ASSERT_GT(stateA.size(), 100000u);

    // A write lasts what one run takes beyond the start of the writer: the kills land within
    // the first two writes of each run.
    const auto startAt = std::chrono::steady_clock::now();
    const pid_t first = startLoop(kind, folder);
    ASSERT_GT(first, 0);
    const auto start = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - startAt);
    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);
    const long write = std::max<long>(1000, (oneRun - start).count());

    std::mt19937 random(20261208);
    std::uniform_int_distribution<long> delay(0, 2 * write);
    // A loaded machine writes slower than the measured run: rounds go on, with kills spread
    // wider, until both states and a write cut short have been seen.
    const auto wider = [&](int round) { return delay(random) * (1 + round / rounds); };
    int sawA = 0;
    int sawB = 0;
    bool sawCut = false;
    for (int round = 0;
         round < rounds || ((sawA == 0 || sawB == 0 || !sawCut) && round < 6 * rounds); ++round) {
        const pid_t pid = startLoop(kind, folder);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(wider(round)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);

        const std::string now = readHostFile(folder / name);
        ASSERT_TRUE(now == stateA || now == stateB)
            << kind << ": round " << round << ", a file of " << now.size() << " bytes";
        (now == stateA ? sawA : sawB)++;
        for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
            const std::string entry = e.path().filename().string();
            if (entry != name && !std::count(usersFiles.begin(), usersFiles.end(), entry)) {
                ASSERT_TRUE(isTemporaryOf(entry, name)) << kind << ": " << entry;
                sawCut = true;
            }
        }
    }
    // Kills landed both between and inside writes of each state.
    EXPECT_GT(sawA, 0) << kind;
    EXPECT_GT(sawB, 0) << kind;
    // The next start writes over whatever the kills left, and clears the writes they cut short.
    ASSERT_EQ(runWriter(kind, folder, "1"), 0);
    EXPECT_EQ(readHostFile(folder / name), stateB);
    const long kept = 1 + static_cast<long>(usersFiles.size());
    const auto entries = [&folder] {
        return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    };
    EXPECT_GT(entries(), kept) << kind << ": no kill landed inside a write";
    ASSERT_EQ(runWriter(kind, folder, "clean"), 0);
    EXPECT_EQ(entries(), kept) << kind;
    EXPECT_EQ(readHostFile(folder / name), stateB);
    for (const std::string& file : usersFiles)
        EXPECT_EQ(readHostFile(folder / file), "the user's") << kind << ": " << file;
}

TEST(CrashSafety, CatalogueFile) {
    killWhileWriting("catalogue", "data.ixo", 60);
}

TEST(CrashSafety, SettingsFile) {
    killWhileWriting("settings", "Tavrin.ini", 60);
}

TEST(CrashSafety, EditorSettingsFileOfTheLaunch) {
    killWhileWriting("editor", "RPG2000.ini", 60);
}

TEST(CrashSafety, WineUserRegistryWithoutServer) {
    killWhileWriting("userreg", "user.reg", 60);
}

} // namespace
