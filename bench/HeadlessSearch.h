// What the search benchmarks share: generated projects on disk, and the scanner thread's
// hand-over run in place into a catalogue held as the main window holds it.
#pragma once

#include "BenchTable.h"
#include "catalogue/Catalogue.h"
#include "catalogue/qt/FolderTreeModel.h"
#include "catalogue/qt/ProjectListModel.h"
#include "platform/DriveTable.h"
#include "platform/linux/LinuxFileSystem.h"
#include "search/FolderScan.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace bench {

inline void writeFile(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

// The n-th project in `folder`: even ones of the 2000 tool, odd ones of the 95 tool.
inline void writeProject(const std::filesystem::path& folder, int n) {
    std::filesystem::create_directories(folder);
    if (n % 2 == 0) {
        writeFile(folder / "RPG_RT.lmt", "LcfMapTree");
        writeFile(folder / "RPG_RT.ini",
                  "[RPG_RT]\r\nGameTitle=Game " + std::to_string(n) + "\r\n");
    } else {
        writeFile(folder / "GAME.EXE", "MZ");
        writeFile(folder / "x.RPG", "");
    }
}

// The catalogue as the main window holds it: a folder selected, both models attached, so each
// hand-over updates the list as it does in the program. `rows` rows already in the folder,
// with paths no generated project has.
struct Shown {
    tavrin::Catalogue catalogue;
    tavrin::FolderTreeModel tree{catalogue};
    tavrin::ProjectListModel list{catalogue};
    explicit Shown(int rows = 0) {
        catalogue.selectFolder(catalogue.addFolder(nullptr, "Tavrin"));
        for (int i = 0; i < rows; ++i)
            catalogue.addFoundItem("Z:\\Old\\Game" + std::to_string(i) + "\\",
                                   "Old " + std::to_string(i), tavrin::pk2000);
    }
};

// The scanner thread's hand-over without the thread: the same steps, run in place.
class DirectHost : public tavrin::ScanHost {
public:
    DirectHost(tavrin::FileSystem& fs, tavrin::Catalogue& catalogue, bool dupChk)
        : mFs(fs), mCatalogue(catalogue) {
        if (dupChk)
            mDuplicates.emplace(catalogue);
    }
    bool terminated() override { return false; }
    void showSearchedFolder(const std::string& folder) override { mShown = folder; }
    void addFoundProject(const std::string& folder, const std::string& marker) override {
        auto item =
            tavrin::recognizeProject(mFs, folder, marker, mDuplicates ? &*mDuplicates : nullptr);
        if (!item)
            return;
        if (mDuplicates)
            mDuplicates->add(item->path);
        mCatalogue.addFoundItem(std::move(item->path), std::move(item->title), item->kind);
    }

private:
    tavrin::FileSystem& mFs;
    tavrin::Catalogue& mCatalogue;
    std::optional<tavrin::DuplicateCheck> mDuplicates;
    std::string mShown;
};

// 20 top folders, each 9 × 10 × 10 below: 20,000 folders in all, every 18th leaf a project,
// every other one of each kind.
constexpr int kSearchTreeProjects = 1000;
inline void makeSearchTree(const std::filesystem::path& root) {
    int leaves = 0, projects = 0;
    for (int t = 0; t < 20; ++t) {
        const std::filesystem::path top = root / ("Top" + std::to_string(t));
        for (int m = 0; m < 9; ++m) {
            const std::filesystem::path mid = top / ("Mid" + std::to_string(m));
            for (int s = 0; s < 10; ++s) {
                const std::filesystem::path sub = mid / ("Sub" + std::to_string(s));
                for (int l = 0; l < 10; ++l) {
                    const std::filesystem::path leaf = sub / ("Leaf" + std::to_string(l));
                    std::filesystem::create_directories(leaf);
                    writeFile(leaf / "readme.txt", "x");
                    if (leaves++ % 18 == 0)
                        writeProject(leaf, projects++);
                }
            }
        }
    }
}

// `find <root>` with its listing thrown away, started directly: a shell in between would be
// timed too.
inline bool runFind(const std::string& root) {
    return runQuietly({"find", root});
}

// A tree made by `make` in a temporary folder, removed at the end, and the file system a search
// walks it through; `start` is the tree's Windows path. Empty when no folder could be made.
struct GeneratedTree {
    QTemporaryDir dir;
    std::filesystem::path root;
    tavrin::LinuxFileSystem fs{tavrin::DriveTable::rootOnly()};
    std::string start;

    explicit GeneratedTree(const std::function<void(const std::filesystem::path&)>& make) {
        if (!dir.isValid())
            return;
        root = std::filesystem::path(dir.path().toStdString()) / "tree";
        make(root);
        start = fs.toWindowsPath(root.string()).value_or(std::string());
    }
    bool valid() const { return !start.empty(); }
};

} // namespace bench
