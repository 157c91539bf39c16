// "data.ixo" of 100,000 items in 1,000 folders: the program's load (read and parse into the
// tree) and write (serialize and its crash-safe write) against plain file calls on the same
// bytes.
#include "BenchTable.h"
#include "NoDialogs.h"
#include "catalogue/CatalogueFile.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/DriveTable.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tavrin;

namespace {

constexpr int kFolders = 1000;
constexpr int kItems = 100000;
constexpr int kRuns = 7;

// A root, 99 folders under it, each with 9 subfolders and every third of those one deeper;
// items spread evenly, both kinds, paths of 30 to 60 bytes, Japanese titles.
void buildCatalogue(Catalogue& catalogue) {
    const std::vector<std::string> titles = {sj("勇者の冒険"), sj("ツクール95作品"),
                                             sj("魔王城からの脱出 〜完全版〜"), sj("夢の続き")};
    catalogue.resetTree([&](FolderTree& tree) {
        std::vector<TreeNode*> folders{tree.append(nullptr, "Tavrin")};
        for (int f = 0; static_cast<int>(folders.size()) < kFolders; ++f) {
            TreeNode* top = tree.append(folders[0], sj("フォルダ") + std::to_string(f));
            folders.push_back(top);
            for (int s = 0; s < 9 && static_cast<int>(folders.size()) < kFolders; ++s) {
                TreeNode* sub =
                    tree.append(s % 3 ? top : folders.back(), "Sub" + std::to_string(s));
                folders.push_back(sub);
            }
        }
        for (int i = 0; i < kItems; ++i) {
            TreeNode* folder = folders[static_cast<std::size_t>(i % kFolders)];
            std::string name = "Project_" + std::string(static_cast<std::size_t>(i % 28), 'x');
            folder->folder.items.push_back(
                {"Z:\\home\\user\\Games\\" + name + std::to_string(i) + "\\",
                 titles[static_cast<std::size_t>(i) % titles.size()] + std::to_string(i),
                 i % 2 ? pk95 : pk2000});
        }
    });
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string plainRead(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    char buf[65536];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        bytes.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

// The same durability as the program's write: a temp file synced, renamed over the old one,
// the folder synced.
void plainWrite(const std::string& folder, const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    writeAll(fd, bytes);
    ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), path.c_str());
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(dir);
    ::close(dir);
}

} // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const std::string folder = dir.path().toStdString();
    const std::string ours = folder + "/data.ixo";
    const std::string plain = folder + "/plain.ixo";

    LinuxFileSystem fs(DriveTable::rootOnly());
    bench::NoDialogs dialogs;
    CatalogueFile file(fs, dialogs, *fs.toWindowsPath(ours));

    Catalogue source;
    buildCatalogue(source);
    file.write(source);
    const std::string bytes = plainRead(ours);
    std::fprintf(stderr, "data.ixo: %zu bytes, %d folders, %d items\n", bytes.size(), kFolders,
                 kItems);

    std::vector<double> loads, reads, writes, plainWrites;
    bool same = true;
    for (int run = 0; run < kRuns; ++run) {
        Catalogue loaded;
        loads.push_back(bench::seconds([&] { file.load(loaded); }));
        reads.push_back(bench::seconds([&] { same = plainRead(ours) == bytes && same; }));
        writes.push_back(bench::seconds([&] { file.write(loaded); }));
        plainWrites.push_back(bench::seconds([&] { plainWrite(folder, plain, bytes); }));
        // What was loaded writes back the very bytes it came from.
        same = same && plainRead(ours) == bytes;
    }
    if (!same || dialogs.messages > 0) {
        std::fprintf(stderr, "the catalogue did not load and write back unchanged\n");
        return 1;
    }

    // Folders make their items at first use; this is what opening every one of them costs.
    Catalogue opened;
    file.load(opened);
    std::size_t items = 0;
    const double open = bench::seconds([&] {
        for (TreeNode* node : opened.tree().preOrder())
            items += node->folder.items.items().size();
    });
    std::fprintf(stderr, "opening all %zu items after the load: %.1f ms\n", items, open * 1000);

    bool met = bench::print({"catalogue load (100k items)", bench::median(loads),
                             bench::median(reads), 3, "s", "open/read/close"});
    met = bench::print({"catalogue write (100k items)", bench::median(writes),
                        bench::median(plainWrites), 3, "s",
                        "temp file, write, fsync, rename, fsync folder"}) &&
          met;
    return met ? 0 : 1;
}
