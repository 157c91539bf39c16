// Telling a game's code page from its own files: a German game of 5,000 files in its asset
// folders on the host, a quarter of them named past ASCII, and a database of a megabyte, read
// through the real file system. Its reference is a plain listing of the same folders.
#include "BenchTable.h"

#include "launch/GameCodePage.h"
#include "platform/CodePages.h"
#include "platform/DriveTable.h"
#include "platform/linux/LinuxFileSystem.h"
#include "support/GameFileBuilders.h"
#include "support/HostScratch.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace tavrin;

namespace {

constexpr int kFiles = 5000;
constexpr std::size_t kDatabaseBytes = 1 << 20;
constexpr double kLongestAllowed = 0.050;
constexpr int kRuns = 9;

const char* const kFolders[] = {"CharSet",  "ChipSet", "FaceSet",  "Music",   "Sound",
                                "Picture",  "System",  "Battle",   "Monster", "Panorama",
                                "Backdrop", "Title",   "GameOver", "Battle2", "Frame"};
constexpr int kFolderCount = sizeof kFolders / sizeof kFolders[0];

// The project's files, and the database naming half of those past ASCII among its messages.
void makeGame(const std::string& game) {
    const char* const words[] = {"Schlüssel", "Tür", "Größe", "Bär", "Höhle", "Straße", "Öl"};
    std::vector<std::string> named;
    for (int k = 0; k < kFiles; ++k) {
        const bool german = k % 4 == 0;
        const std::string stem =
            german ? words[k / 4 % 7] + std::to_string(k) : "file" + std::to_string(k);
        test::writeHostFile(game + "/" + kFolders[k % kFolderCount] + "/" + stem + ".png",
                            std::string(64, 'p'));
        if (german && k % 8 == 0)
            named.push_back(*codepage::fromUtf8(1252, stem));
    }
    std::size_t size = 0;
    for (const std::string& n : named)
        size += n.size() + 8;
    for (int line = 0; size < kDatabaseBytes; ++line) {
        named.push_back(*codepage::fromUtf8(1252, "Der Schlüssel öffnet die Tür zur Höhle Nr. " +
                                                      std::to_string(line) + "."));
        size += named.back().size() + 8;
    }
    test::writeHostFile(game + "/RPG_RT.ldb", test::makeLdbNaming(named));
    test::writeHostFile(game + "/RPG_RT.lmt", test::makeLmt({named[0], named[1]}));
}

} // namespace

int main() {
    const test::TempFolder scratch("tavrin-bench-codepage");
    if (scratch.path().empty()) {
        std::fprintf(stderr, "no scratch folder\n");
        return 1;
    }
    makeGame(scratch / "Game");
    LinuxFileSystem fs(DriveTable({{'D', scratch.path()}}));
    const std::string project = "D:\\Game\\";

    int answer = 0;
    // The first read in a process also makes the code pages' tables of letters.
    const double first = bench::seconds([&] { gamecodepage::read(fs, project, {}); });
    const double ours =
        bench::medianSeconds([&] { answer = gamecodepage::read(fs, project, {}); }, kRuns);
    std::size_t listed = 0;
    const double reference = bench::medianSeconds(
        [&] {
            listed = fs.listFolder(project).size();
            for (const char* folder : kFolders)
                listed += fs.listFolder(project + folder + "\\").size();
        },
        kRuns);
    std::fprintf(stderr, "%zu entries listed; the answer: %d; the first read: %.1f ms\n", listed,
                 answer, first * 1000);

    const bool right = answer == 1252;
    const bool met = right && ours <= kLongestAllowed;
    // bench::print's columns, with a goal in time rather than a ratio.
    std::printf("| codepage, a game of 5,000 files and a 1 MB database | %s | %s (a plain listing "
                "of the same folders) | %.2f | <= %s | %s |\n",
                bench::figure(ours, "s").c_str(), bench::figure(reference, "s").c_str(),
                reference > 0 ? ours / reference : 1e9, bench::figure(kLongestAllowed, "s").c_str(),
                !right ? "MISSED (the answer is wrong)"
                : met  ? "met"
                       : "MISSED");
    std::fflush(stdout);
    return met ? 0 : 1;
}
