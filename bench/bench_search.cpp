// A whole search through the progress dialog against `find` listing the same tree.
#include "catalogue/Catalogue.h"
#include "platform/Dialogs.h"
#include "platform/DriveTable.h"
#include "platform/linux/LinuxFileSystem.h"
#include "search/FolderScan.h"
#include "search/SearchDlg.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace tavrin;
namespace fsys = std::filesystem;

namespace {

constexpr int kTop = 20, kMid = 9, kSub = 10, kLeaf = 10;
constexpr int kProjectEvery = 18; // 18,000 leaves hold 1,000 projects

class NoDialogs : public Dialogs {
public:
    MsgResult messageBox(const std::string&, const std::string&, MsgIcon, MsgButtons,
                         MsgResult defaultButton) override {
        return defaultButton;
    }
    std::optional<std::string> browseForFolder(const std::string&) override { return {}; }
};

void writeFile(const fsys::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

// 20 top folders, each 9 × 10 × 10 below: 20,000 folders in all, every 18th leaf a project.
void makeTree(const fsys::path& root) {
    int leaves = 0, projects = 0;
    for (int t = 0; t < kTop; ++t) {
        const fsys::path top = root / ("Top" + std::to_string(t));
        for (int m = 0; m < kMid; ++m) {
            const fsys::path mid = top / ("Mid" + std::to_string(m));
            for (int s = 0; s < kSub; ++s) {
                const fsys::path sub = mid / ("Sub" + std::to_string(s));
                for (int l = 0; l < kLeaf; ++l) {
                    const fsys::path leaf = sub / ("Leaf" + std::to_string(l));
                    fsys::create_directories(leaf);
                    writeFile(leaf / "readme.txt", "x");
                    if (leaves++ % kProjectEvery != 0)
                        continue;
                    if (projects++ % 2 == 0) {
                        writeFile(leaf / "RPG_RT.lmt", "LcfMapTree");
                        writeFile(leaf / "RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Game " +
                                                           std::to_string(projects) + "\r\n");
                    } else {
                        writeFile(leaf / "GAME.EXE", "MZ");
                        writeFile(leaf / "x.RPG", "");
                    }
                }
            }
        }
    }
}

double seconds(const std::function<void()>& run) {
    const auto begin = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

double median(const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i)
        times.push_back(seconds(run));
    std::sort(times.begin(), times.end());
    return times[2];
}

// The walk without a thread or a dialog: the hand-overs run in place.
class DirectHost : public ScanHost {
public:
    DirectHost(FileSystem& fs, Catalogue& catalogue) : mFs(fs), mCatalogue(catalogue) {}
    bool terminated() override { return false; }
    void ShowSearchedFolder(const std::string& folder) override { mShown = folder; }
    void AddFoundProject(const std::string& folder, const std::string& marker) override {
        if (auto item = recognizeProject(mFs, folder, marker, nullptr))
            mCatalogue.AddFoundItem(std::move(item->Path), std::move(item->Title), item->Kind);
    }

private:
    FileSystem& mFs;
    Catalogue& mCatalogue;
    std::string mShown;
};

std::unique_ptr<Catalogue> freshCatalogue() {
    auto c = std::make_unique<Catalogue>();
    c->selectFolder(c->AddFolder(nullptr, "Tavrin"));
    return c;
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
    const std::string findCommand = "find '" + root.string() + "' > /dev/null";

    LinuxFileSystem fs(DriveTable::rootOnly());
    const std::string start = *fs.toWindowsPath(root.string());
    NoDialogs dialogs;
    TSearchDlg dlg(dialogs);

    // Warm the cache.
    if (std::system(findCommand.c_str()) != 0)
        return 1;

    int found = 0;
    const double ours = median([&] {
        auto catalogue = freshCatalogue();
        dlg.RunSearch(*catalogue, fs, 6, true, start);
        found = catalogue->rowCount();
    });
    const double find = median([&] { (void)std::system(findCommand.c_str()); });
    int walked = 0;
    const double walk = median([&] {
        auto catalogue = freshCatalogue();
        DirectHost host(fs, *catalogue);
        walkFolders(fs, start, markerNamesFor(6), host);
        walked = catalogue->rowCount();
    });

    const double ratio = ours / find;
    std::printf("tree: 20000 folders, 1000 projects (median of 5 runs)\n");
    std::printf("%-28s %10.3f s\n", "search (dialog + thread)", ours);
    std::printf("%-28s %10.3f s\n", "find", find);
    std::printf("%-28s %10.2f   goal <= 2.00 %s\n", "ratio", ratio,
                ratio <= 2.0 ? "met" : "MISSED");
    std::printf("%-28s %10.3f s\n", "walk alone (no thread)", walk);
    std::printf("%-28s %10d   (walk alone %d), expected 1000 %s\n", "projects found", found, walked,
                found == 1000 ? "ok" : "WRONG");
    return ratio <= 2.0 && found == 1000 ? 0 : 1;
}
