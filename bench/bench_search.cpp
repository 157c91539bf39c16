// Folder walk: the real walker, recognition and hand-over to the list, headless, against `find`
// listing the same tree, both with a warm cache.
#include "BenchTable.h"
#include "HeadlessSearch.h"

#include "catalogue/Catalogue.h"
#include "catalogue/FolderTreeModel.h"
#include "catalogue/ProjectListModel.h"
#include "platform/Dialogs.h"
#include "platform/DriveTable.h"
#include "platform/linux/LinuxFileSystem.h"
#include "search/FolderScan.h"
#include "search/SearchDlg.h"

#include <QApplication>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using namespace tavrin;
namespace fsys = std::filesystem;

namespace {

constexpr int kTop = 20, kMid = 9, kSub = 10, kLeaf = 10;
constexpr int kProjectEvery = 18; // 18,000 leaves hold 1,000 projects
constexpr int kProjects = 1000;
constexpr int kRuns = 7;

class NoDialogs : public Dialogs {
public:
    MsgResult messageBox(const std::string&, const std::string&, MsgIcon, MsgButtons,
                         MsgResult defaultButton) override {
        return defaultButton;
    }
    std::optional<std::string> browseForFolder(const std::string&) override { return {}; }
    std::optional<std::string> openFile(const OpenFileRequest&) override { return {}; }
    std::optional<FontChoice> chooseFont(const FontChoice&) override { return {}; }
};

// 20 top folders, each 9 × 10 × 10 below: 20,000 folders in all, every 18th leaf a project,
// every other one of each kind.
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
                    bench::writeFile(leaf / "readme.txt", "x");
                    if (leaves++ % kProjectEvery != 0)
                        continue;
                    bench::writeProject(leaf, projects++);
                }
            }
        }
    }
}

// `find <root>` with its listing thrown away, started directly: a shell in between would be
// timed too.
bool runFind(const std::string& root) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string program = "find";
    std::vector<char*> argv{program.data(), const_cast<char*>(root.c_str()), nullptr};
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, "find", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return failed == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
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
    const fsys::path& root = tree.root;
    const std::vector<std::string> markers = markerNamesFor(6);

    // Warm the cache for both.
    if (!runFind(root.string())) {
        std::fprintf(stderr, "find failed\n");
        return 1;
    }

    // Alternated, so a slow spell of the machine falls on both.
    std::vector<double> ours, find;
    int found = 0;
    bool findOk = true;
    for (int i = 0; i < kRuns; ++i) {
        bench::Shown shown;
        bench::DirectHost host(fs, shown.catalogue, false);
        ours.push_back(bench::seconds([&] { walkFolders(fs, start, markers, host); }));
        found = shown.catalogue.rowCount();
        find.push_back(bench::seconds([&] { findOk = runFind(root.string()) && findOk; }));
    }

    // The whole search through the progress dialog and its thread, for the notes.
    NoDialogs dialogs;
    TSearchDlg dlg(dialogs);
    int foundByDialog = 0;
    const double whole = bench::medianSeconds(
        [&] {
            bench::Shown shown;
            dlg.RunSearch(shown.catalogue, fs, 6, false, start);
            foundByDialog = shown.catalogue.rowCount();
        },
        3);

    std::fprintf(stderr,
                 "search: 20000 folders, %d projects; median of %d runs\n"
                 "projects found: %d headless, %d through the dialog\n"
                 "whole search (dialog + thread): %.1f ms\n",
                 kProjects, kRuns, found, foundByDialog, whole * 1000);
    const bool met = bench::print({"folder walk (20,000 folders, 1,000 projects)",
                                   bench::median(ours), bench::median(find), 1.5, "s", "find"});
    if (found != kProjects || foundByDialog != kProjects || !findOk) {
        std::fprintf(stderr, "WRONG: expected %d projects found, and find to succeed\n", kProjects);
        return 1;
    }
    return met ? 0 : 1;
}
