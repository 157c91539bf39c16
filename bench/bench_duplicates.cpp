// Duplicate check: a search with the check on that adds 10,000 projects into a folder already
// holding 10,000 rows, against the same search into an empty folder. The cost per project
// must stay flat as the rows grow.
#include "BenchTable.h"
#include "HeadlessSearch.h"

#include "platform/DriveTable.h"
#include "platform/linux/LinuxFileSystem.h"
#include "search/FolderScan.h"

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace tavrin;
namespace fsys = std::filesystem;

namespace {

constexpr int kGroups = 100, kPerGroup = 100;
constexpr int kProjects = kGroups * kPerGroup;
constexpr int kRuns = 5;

// 100 folders of 100 projects each.
void makeTree(const fsys::path& root) {
    for (int g = 0; g < kGroups; ++g) {
        for (int p = 0; p < kPerGroup; ++p) {
            const int n = g * kPerGroup + p;
            bench::writeProject(root / ("Group" + std::to_string(g)) / ("Game" + std::to_string(n)),
                                n);
        }
    }
}

// Microseconds per project of one search into a folder of `rows` rows; `added` gets how many
// rows it added.
double perProject(FileSystem& fs, const std::string& start, int rows, int& added) {
    bench::Shown shown(rows);
    const double total = bench::seconds([&] {
        bench::DirectHost host(fs, shown.catalogue, true);
        walkFolders(fs, start, markerNamesFor(6), host);
    });
    added = shown.catalogue.rowCount() - rows;
    return total * 1e6 / kProjects;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    bench::GeneratedTree tree(makeTree);
    if (!tree.valid())
        return 1;
    LinuxFileSystem& fs = tree.fs;
    const std::string& start = tree.start;

    // Warms the cache.
    int added = 0;
    perProject(fs, start, 0, added);

    // Alternated, so a slow spell of the machine falls on both.
    std::vector<double> full, empty;
    bool allAdded = added == kProjects;
    for (int i = 0; i < kRuns; ++i) {
        full.push_back(perProject(fs, start, kProjects, added));
        allAdded = allAdded && added == kProjects;
        empty.push_back(perProject(fs, start, 0, added));
        allAdded = allAdded && added == kProjects;
    }

    std::fprintf(stderr,
                 "duplicates: %d projects found into 10,000 rows and into none, duplicate check "
                 "on; median of %d runs; all added: %s\n",
                 kProjects, kRuns, allAdded ? "yes" : "NO");
    const bool met =
        bench::print({"duplicate check (10,000 found into 10,000 rows)", bench::median(full),
                      bench::median(empty), 1.5, "us/project", "into an empty folder"});
    if (!allAdded) {
        std::fprintf(stderr, "WRONG: every search must add all %d projects\n", kProjects);
        return 1;
    }
    return met ? 0 : 1;
}
