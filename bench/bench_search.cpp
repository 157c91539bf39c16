// Folder walk: the real walker, recognition and hand-over to the list, headless, against `find`
// listing the same tree, both with a warm cache.
#include "BenchTable.h"
#include "HeadlessSearch.h"
#include "NoDialogs.h"

#include "catalogue/Catalogue.h"
#include "catalogue/qt/FolderTreeModel.h"
#include "catalogue/qt/ProjectListModel.h"
#include "platform/Dialogs.h"
#include "platform/DriveTable.h"
#include "platform/linux/LinuxFileSystem.h"
#include "search/FolderScan.h"
#include "search/qt/SearchProgressDialog.h"

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

using namespace tavrin;
namespace fsys = std::filesystem;

namespace {

constexpr int kRuns = 7;

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    bench::GeneratedTree tree(bench::makeSearchTree);
    if (!tree.valid())
        return 1;
    LinuxFileSystem& fs = tree.fs;
    const std::string& start = tree.start;
    const fsys::path& root = tree.root;
    const std::vector<std::string> markers = markerNamesFor(6);

    // Warm the cache for both.
    if (!bench::runFind(root.string())) {
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
        find.push_back(bench::seconds([&] { findOk = bench::runFind(root.string()) && findOk; }));
    }

    // The whole search through the progress dialog and its thread, for the notes.
    bench::NoDialogs dialogs;
    SearchProgressDialog dlg(dialogs);
    int foundByDialog = 0;
    const double whole = bench::medianSeconds(
        [&] {
            bench::Shown shown;
            dlg.run(shown.catalogue, fs, 6, false, start);
            foundByDialog = shown.catalogue.rowCount();
        },
        3);

    std::fprintf(stderr,
                 "search: 20000 folders, %d projects; median of %d runs\n"
                 "projects found: %d headless, %d through the dialog\n"
                 "whole search (dialog + thread): %.1f ms\n",
                 bench::kSearchTreeProjects, kRuns, found, foundByDialog, whole * 1000);
    const bool met = bench::print({"folder walk (20,000 folders, 1,000 projects)",
                                   bench::median(ours), bench::median(find), 1.5, "s", "find"});
    if (found != bench::kSearchTreeProjects || foundByDialog != bench::kSearchTreeProjects ||
        !findOk) {
        std::fprintf(stderr, "WRONG: expected %d projects found, and find to succeed\n",
                     bench::kSearchTreeProjects);
        return 1;
    }
    return met ? 0 : 1;
}
