// Duplicate check: a search with the check on that adds 10,000 projects into a folder already
// holding 10,000 rows, against the same search into an empty folder. The cost per project
// must stay flat as the rows grow.
#include "BenchTable.h"

#include "catalogue/Catalogue.h"
#include "catalogue/FolderTreeModel.h"
#include "catalogue/ProjectListModel.h"
#include "platform/DriveTable.h"
#include "platform/linux/LinuxFileSystem.h"
#include "search/FolderScan.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

using namespace tavrin;
namespace fsys = std::filesystem;

namespace {

constexpr int kGroups = 100, kPerGroup = 100;
constexpr int kProjects = kGroups * kPerGroup;
constexpr int kRuns = 5;

void writeFile(const fsys::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

// 100 folders of 100 projects each, every other one of each kind.
void makeTree(const fsys::path& root) {
    for (int g = 0; g < kGroups; ++g) {
        for (int p = 0; p < kPerGroup; ++p) {
            const int n = g * kPerGroup + p;
            const fsys::path game =
                root / ("Group" + std::to_string(g)) / ("Game" + std::to_string(n));
            fsys::create_directories(game);
            if (n % 2 == 0) {
                writeFile(game / "RPG_RT.lmt", "LcfMapTree");
                writeFile(game / "RPG_RT.ini",
                          "[RPG_RT]\r\nGameTitle=Game " + std::to_string(n) + "\r\n");
            } else {
                writeFile(game / "GAME.EXE", "MZ");
                writeFile(game / "x.RPG", "");
            }
        }
    }
}

// The catalogue as the main window holds it: a folder selected, both models attached, so each
// hand-over updates the list as it does in the program.
struct Shown {
    Catalogue catalogue;
    FolderTreeModel tree{catalogue};
    ProjectListModel list{catalogue};
    explicit Shown(int rows) {
        catalogue.selectFolder(catalogue.AddFolder(nullptr, "Tavrin"));
        // Paths none of the found projects has, so every one of them is added.
        for (int i = 0; i < rows; ++i)
            catalogue.AddFoundItem("Z:\\Old\\Game" + std::to_string(i) + "\\",
                                   "Old " + std::to_string(i), pk2000);
    }
};

// The scanner thread's hand-over without the thread: the same steps, run in place, the
// duplicate check on.
class DirectHost : public ScanHost {
public:
    DirectHost(FileSystem& fs, Catalogue& catalogue)
        : mFs(fs), mCatalogue(catalogue), mDuplicates(catalogue) {}
    bool terminated() override { return false; }
    void ShowSearchedFolder(const std::string& folder) override { mShown = folder; }
    void AddFoundProject(const std::string& folder, const std::string& marker) override {
        auto item = recognizeProject(mFs, folder, marker, &mDuplicates);
        if (!item)
            return;
        mDuplicates.add(item->Path);
        mCatalogue.AddFoundItem(std::move(item->Path), std::move(item->Title), item->Kind);
    }

private:
    FileSystem& mFs;
    Catalogue& mCatalogue;
    DuplicateCheck mDuplicates;
    std::string mShown;
};

// Microseconds per project of one search into a folder of `rows` rows; `added` gets how many
// rows it added.
double perProject(FileSystem& fs, const std::string& start, int rows, int& added) {
    Shown shown(rows);
    const double total = bench::seconds([&] {
        DirectHost host(fs, shown.catalogue);
        walkFolders(fs, start, markerNamesFor(6), host);
    });
    added = shown.catalogue.rowCount() - rows;
    return total * 1e6 / kProjects;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const fsys::path root = fsys::path(dir.path().toStdString()) / "tree";
    makeTree(root);

    LinuxFileSystem fs(DriveTable::rootOnly());
    const std::string start = *fs.toWindowsPath(root.string());

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
