#include "launch/CodePageChoices.h"
#include "launch/LaunchActions.h"
#include "launch/PlayLog.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tavrin {
namespace {

using namespace std::string_literals;

const std::string kLog = "Z:\\app\\Tavrin.played";
constexpr std::time_t kDec8 = 1796754569; // 2026-12-08T18:29:29Z

TEST(PlayLog, DamagedLinesArePassedOverAndTheFileStaysBounded) {
    test::MemoryFileSystem fs;
    fs.files[kLog] = "2026-12-08T18:29:29Z\tC:\\Games\\Hero\\\r\n"
                     "2026-12-01T00:00:00Z\tc:\\games\\hero\r\n" // older, same folder
                     "2026-13-01T00:00:00Z\tC:\\Bad\\Month\\\r\n"
                     "2026-12-01 00:00:00\tC:\\Bad\\Form\\\r\n"
                     "2026-12-01T00:00:00Z C:\\No\\Tab\\\r\n"
                     "2026-12-01T00:00:00Z\tC:\\Ctl\x01\\\r\n"
                     "2026-12-01T00:00:00Z\t\r\n"
                     "\xff\xfe\x00garbage\n"
                     "2026-11-30T23:59:59Z\tC:\\Other\\"s; // no line end
    PlayLog log(fs, kLog);
    EXPECT_EQ(log.lastStarted("C:\\GAMES\\HERO"), kDec8);
    EXPECT_EQ(log.lastStarted("C:\\Other\\"), kDec8 - 7 * 86400 - 66570);
    for (const char* damaged : {"C:\\Bad\\Month\\", "C:\\Bad\\Form\\", "C:\\No\\Tab\\"}) {
        EXPECT_FALSE(log.lastStarted(damaged)) << damaged;
    }

    log.recordStart("C:\\Other", kDec8 + 60);
    EXPECT_EQ(fs.files[kLog], "2026-12-08T18:30:29Z\tC:\\Other\\\r\n"
                              "2026-12-08T18:29:29Z\tC:\\Games\\Hero\\\r\n");

    // A full log loses its oldest start to a new one.
    std::vector<PlayLog::Entry> full;
    for (std::size_t i = 0; i < PlayLog::kMostKept; ++i) {
        full.push_back({kDec8 - static_cast<std::time_t>(i), "C:\\G" + std::to_string(i) + "\\"});
    }
    fs.files[kLog] = PlayLog::format(full);
    PlayLog bounded(fs, kLog);
    bounded.recordStart("C:\\New\\", kDec8 + 1);
    const std::vector<PlayLog::Entry> kept = PlayLog::parse(fs.files[kLog]);
    ASSERT_EQ(kept.size(), PlayLog::kMostKept);
    EXPECT_EQ(kept.front().folder, "C:\\New\\");
    EXPECT_EQ(kept.back().folder, "C:\\G" + std::to_string(PlayLog::kMostKept - 2) + "\\");

    // A file that is there but cannot be read is kept as it is.
    fs.files[kLog] = "kept";
    fs.refused = {kLog};
    PlayLog refused(fs, kLog);
    refused.recordStart("C:\\New\\", kDec8);
    EXPECT_EQ(fs.files[kLog], "kept");
    EXPECT_EQ(refused.lastStarted("C:\\New\\"), kDec8);
}

// The start commands on one focused row, their play log in memory.
struct Starts {
    test::FakeServices s;
    UserSettings settings;
    ProjectItem item{"Z:\\Games\\Hero\\", "t", pk2000};
    PlayLog log{s.fs, kLog};
    CodePageChoices codePages{s.fs, "Z:\\app\\Tavrin.codepage"};
    LaunchActions actions{{s.shell, s.dialogs, s.registry, s.fs}, settings, log, codePages};
    Starts() {
        actions.follow([this] { return &item; });
    }
    std::tuple<test::FakeServices&, ProjectItem&, PlayLog&, LaunchActions&> parts() {
        return {s, item, log, actions};
    }
};

// A start is written down when the shell took the game, not when it refused it, and opening a
// folder (a row of no kind) is no start.
TEST(PlayLog, GameStartsThatTheShellTookAreRecorded) {
    Starts run;
    auto [s, item, log, actions] = run.parts();

    s.shell.result = 2;
    actions.playGame();
    EXPECT_FALSE(s.fs.files.count(kLog));
    item.kind = pkNone;
    s.shell.result = 42;
    actions.playGame();
    EXPECT_FALSE(s.fs.files.count(kLog));

    item.kind = pk2000;
    const std::time_t before = std::time(nullptr);
    actions.testPlay();
    ASSERT_EQ(s.shell.starts.size(), 3u);
    const std::vector<PlayLog::Entry> written = PlayLog::parse(s.fs.files[kLog]);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].folder, item.path);
    EXPECT_GE(written[0].when, before);
}

// Read ahead, the log is the file as it was then, and a start recorded before anything was
// looked up keeps what the file held.
TEST(PlayLog, ALogReadAheadServesTheFirstUse) {
    test::MemoryFileSystem fs;
    fs.files[kLog] = "2026-12-08T18:29:29Z\tC:\\Hero\\\r\n";
    PlayLog log(fs, kLog);
    log.readAhead();
    fs.files[kLog] = "";
    log.recordStart("C:\\Other", kDec8 + 60);
    EXPECT_EQ(fs.files[kLog], "2026-12-08T18:30:29Z\tC:\\Other\\\r\n"
                              "2026-12-08T18:29:29Z\tC:\\Hero\\\r\n");
}

// A play line follows its project's start line and is skipped by copies that know only starts;
// a damaged one, or one without a start, is dropped and leaves the start whole.
TEST(PlayLog, PlaysAreReadBesideTheStartsTheyFollow) {
    const std::string start = "2026-12-08T18:29:29Z\tC:\\Hero\\\r\n";
    const std::string start2 = "2026-12-01T00:00:00Z\tC:\\Other\\\r\n";
    struct Row {
        std::string line;
        std::uint64_t seconds;
        std::uint32_t count;
    };
    for (const Row& r : std::vector<Row>{
             {"played\t3725\t4\t2026-12-08T19:31:31Z\tC:\\hero\r\n", 3725, 4},
             {"played\t3725\t4\t2026-12-08T19:31:31Z\tC:\\Nobody\\\r\n", 0, 0},
             {"played\t-1\t4\t2026-12-08T19:31:31Z\tC:\\Hero\\\r\n", 0, 0},
             {"played\t10\t0\t2026-12-08T19:31:31Z\tC:\\Hero\\\r\n", 0, 0},
             {"played\t99999999999\t1\t2026-12-08T19:31:31Z\tC:\\Hero\\\r\n", 0, 0},
             {"played\t10\t1\t2026-12-08 19:31:31\tC:\\Hero\\\r\n", 0, 0},
             {"played\t10\t1\tC:\\Hero\\\r\n", 0, 0},
             {"played\t10\t1\t2026-12-08T19:31:31Z\tC:\\He\x01ro\\\r\n", 0, 0},
         }) {
        const std::vector<PlayLog::Entry> read = PlayLog::parse(start + start2 + r.line);
        ASSERT_EQ(read.size(), 2u) << r.line;
        EXPECT_EQ(read[0].when, kDec8) << r.line;
        EXPECT_EQ(read[0].plays.seconds, r.seconds) << r.line;
        EXPECT_EQ(read[0].plays.count, r.count) << r.line;
        EXPECT_EQ(read[1].plays.count, 0u) << r.line;
    }
}

TEST(PlayLog, PlaysAddUpAndEveryLineStaysReadable) {
    test::MemoryFileSystem fs;
    PlayLog log(fs, kLog);
    log.recordStart("C:\\Hero\\", kDec8);
    EXPECT_FALSE(log.plays("C:\\Hero\\"));
    log.recordPlay("C:\\Hero", kDec8, kDec8 + 90);
    // The rest of a play counted at a close adds time, not a play; a clock set back adds nothing.
    log.recordPlay("C:\\HERO\\", kDec8 + 90, kDec8 + 150, false);
    log.recordPlay("C:\\Hero\\", kDec8 + 500, kDec8 + 400);
    log.recordStart("C:\\Hero\\", kDec8 + 600);
    const std::optional<PlayLog::Plays> plays = log.plays("C:\\Hero\\");
    ASSERT_TRUE(plays);
    EXPECT_EQ(plays->seconds, 150u);
    EXPECT_EQ(plays->count, 2u);
    EXPECT_EQ(plays->lastEnded, kDec8 + 400);
    // An older copy reads its start lines as ever: the play line is not one.
    const std::string& file = fs.files[kLog];
    EXPECT_EQ(file, "2026-12-08T18:39:29Z\tC:\\Hero\\\r\n"
                    "played\t150\t2\t2026-12-08T18:36:09Z\tC:\\Hero\\\r\n");
    PlayLog again(fs, kLog);
    EXPECT_EQ(again.plays("C:\\Hero\\")->seconds, 150u);
}

// A game is played until its end is heard, or until this program closes first.
TEST(PlayLog, AGameIsPlayedUntilItEndsOrThisProgramCloses) {
    Starts run;
    auto [s, item, log, actions] = run.parts();

    const std::time_t before = std::time(nullptr);
    actions.playGame();
    actions.testPlay();
    ASSERT_EQ(s.shell.finished.size(), 2u);
    EXPECT_FALSE(log.plays(item.path));
    s.shell.finished[0]();
    EXPECT_EQ(log.plays(item.path)->count, 1u);
    EXPECT_GE(log.plays(item.path)->lastEnded, before);
    actions.countRunningPlays();
    EXPECT_EQ(log.plays(item.path)->count, 2u);
    // Heard after all, the test play adds its time but is no third play.
    s.shell.finished[1]();
    s.shell.finished[0]();
    EXPECT_EQ(log.plays(item.path)->count, 2u);
}

} // namespace
} // namespace tavrin
