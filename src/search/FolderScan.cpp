#include "search/FolderScan.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFile.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/TextLines.h"

#include <algorithm>

namespace tavrin {

namespace {

const char kLmt[] = "RPG_RT.lmt";
const char kGameExe[] = "GAME.EXE";

bool isLead(char c) {
    return cp932::isLeadByte(static_cast<unsigned char>(c));
}

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "X:" at the start of a path.
bool hasDrive(std::string_view path) {
    return path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':';
}

// The "\"-separated parts of a path; "/" counts as "\" as on Windows, a trail byte never does.
std::vector<std::string> segments(std::string_view path) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLead(path[i]) && i + 1 < path.size()) {
            parts.back() += path[i];
            parts.back() += path[++i];
        } else if (path[i] == '\\' || path[i] == '/') {
            parts.emplace_back();
        } else {
            parts.back() += path[i];
        }
    }
    return parts;
}

struct Frame {
    std::string path;
    std::vector<FileSystem::Entry> folders; // the listing's folders, in listing order
    std::vector<bool> markers;              // which marker names the folder holds
    std::size_t next = 0;
    FileSystem::FolderIdentity id;
};

bool known(const FileSystem::FolderIdentity& id) {
    return id.device != 0 || id.inode != 0;
}

// The folder's listing, kept down to its subfolders, and its markers. The markers are taken
// from the listing: on a host that tells case apart, "rpg_rt.lmt" beside a folder "RPG_RT.lmt"
// is still a marker. A folder that cannot be listed is asked by name; an empty one holds none.
Frame enter(FileSystem& fs, std::string path, FileSystem::EnteredFolder entered,
            const std::vector<std::string>& markerNames) {
    const bool listed = entered.entries.has_value();
    Frame frame{std::move(path),
                std::move(entered.entries).value_or(std::vector<FileSystem::Entry>()),
                {},
                0,
                entered.id};
    frame.markers.assign(markerNames.size(), false);
    for (std::size_t m = 0; m < markerNames.size(); ++m) {
        if (!listed) {
            frame.markers[m] = fs.fileExists(frame.path + markerNames[m]);
            continue;
        }
        for (const FileSystem::Entry& e : frame.folders) {
            if (!e.isFolder && pathtext::sameName(e.name, markerNames[m])) {
                frame.markers[m] = true;
            }
        }
    }
    std::erase_if(frame.folders, [](const FileSystem::Entry& e) {
        return !e.isFolder || e.name.empty() || e.name == "." || e.name == "..";
    });
    return frame;
}

// Upper-case ASCII letters, a CP932 trail byte left as it is, as pathtext::sameName compares.
std::string foldedKey(std::string_view path) {
    std::string key(path);
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (isLead(key[i])) {
            ++i;
        } else if (key[i] >= 'a' && key[i] <= 'z') {
            key[i] = static_cast<char>(key[i] - 'a' + 'A');
        }
    }
    return key;
}

std::string iniTitle(FileSystem& fs, const std::string& folder) {
    const std::string ini = folder + "RPG_RT.ini";
    if (!fs.fileExists(ini)) {
        return sj("設定ファイルがありません");
    }
    const std::optional<std::string> text = fs.readFile(ini);
    if (!text) {
        throw AppError(formatMessage(sj("ファイル %s を開けません"), ini));
    }
    for (std::string_view line : splitLines(*text)) {
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && pathtext::sameName(line.substr(0, eq), "GameTitle")) {
            return std::string(line.substr(eq + 1));
        }
    }
    return sj("タイトルがありません");
}

} // namespace

std::vector<std::string> markerNamesFor(int matchKinds) {
    std::vector<std::string> names;
    if (matchKinds & 2) {
        names.emplace_back(kLmt);
    }
    if (matchKinds & 4) {
        names.emplace_back(kGameExe);
    }
    return names;
}

std::string absoluteFolderPath(FileSystem& fs, const std::string& folder) {
    if (folder.empty()) {
        return {};
    }
    std::string path = folder;
    const auto separator = [&](std::size_t i) {
        return i < path.size() && (path[i] == '\\' || path[i] == '/');
    };
    // A network path ("\\server\share") has no drive to reach it by.
    if (separator(0) && separator(1)) {
        return {};
    }
    const bool rooted = separator(0);
    if (!hasDrive(path) || !separator(2)) {
        // Relative, drive-relative ("C:Games") or rooted without a drive ("\Games"): from the
        // working folder, whose drive must then be the one named.
        const std::string cwd = fs.workingFolder();
        if (!hasDrive(cwd)) {
            return {};
        }
        if (hasDrive(path)) {
            if (!pathtext::sameName(path.substr(0, 1), cwd.substr(0, 1))) {
                path = path.substr(0, 2) + '\\' + path.substr(2);
            } else {
                path = cwd + '\\' + path.substr(2);
            }
        } else {
            path = rooted ? cwd.substr(0, 2) + path : cwd + '\\' + path;
        }
    }
    std::vector<std::string> kept;
    const std::vector<std::string> parts = segments(std::string_view(path).substr(2));
    for (const std::string& part : parts) {
        if (part == "..") {
            if (!kept.empty()) {
                kept.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            kept.push_back(part);
        }
    }
    std::string out = path.substr(0, 2) + '\\';
    for (const std::string& part : kept) {
        out += part + '\\';
    }
    return out;
}

int walkFolders(FileSystem& fs, const std::string& startFolder,
                const std::vector<std::string>& markerNames, ScanHost& host) {
    const std::string start = absoluteFolderPath(fs, startFolder);
    if (start.empty()) {
        return 0;
    }
    host.gate();
    std::optional<FileSystem::EnteredFolder> first =
        fs.enterFolder(start, [](const FileSystem::FolderIdentity&) { return true; });
    if (!first) {
        return 0;
    }

    // The start folder's own ancestors count as on the path: a link to one of them would lead
    // back into the start folder and, for a link to "/", through the whole file system.
    std::vector<FileSystem::FolderIdentity> above;
    for (std::string up = start; up.size() > 3;) {
        up = pathtext::folderPart(pathtext::withoutTrailingBackslash(up));
        if (const auto id = fs.folderIdentity(up); id && known(*id)) {
            above.push_back(*id);
        }
    }
    std::vector<Frame> stack;
    const auto onPath = [&](const FileSystem::FolderIdentity& id) {
        return known(id) && (std::find(above.begin(), above.end(), id) != above.end() ||
                             std::any_of(stack.begin(), stack.end(),
                                         [&](const Frame& f) { return f.id == id; }));
    };

    // Depth by a stack of listings rather than recursion, so no tree is too deep to walk.
    stack.push_back(enter(fs, start, std::move(*first), markerNames));
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.folders.size()) {
            const Frame done = std::move(top);
            stack.pop_back();
            for (std::size_t m = 0; m < markerNames.size(); ++m) {
                if (done.markers[m]) {
                    host.gate();
                    host.addFoundProject(done.path, markerNames[m]);
                }
            }
            continue;
        }
        const FileSystem::Entry& entry = top.folders[top.next++];
        // A cancellation is seen only on the way into a folder, and then nothing encloses a
        // folder whose markers are still tested.
        if (host.terminated()) {
            return 0;
        }
        const FileSystem::FolderIdentity listed{entry.device, entry.inode};
        if (onPath(listed)) {
            continue;
        }
        std::string path = top.path + entry.name + '\\';
        host.gate();
        std::optional<FileSystem::EnteredFolder> entered =
            fs.enterFolder(path, [&](const FileSystem::FolderIdentity& id) {
                // A name the path cannot lead back to (a "\" in a host name, or a byte lost to
                // CP932) would be another folder: never walked in its place.
                if ((known(listed) && known(id) && !(id == listed)) || onPath(id)) {
                    return false;
                }
                host.gate();
                // Shown before it is read: a folder whose reading hangs stays named.
                host.showSearchedFolder(path);
                return true;
            });
        if (!entered) {
            continue;
        }
        stack.push_back(enter(fs, std::move(path), std::move(*entered), markerNames));
    }
    return 0;
}

DuplicateCheck::DuplicateCheck(const Catalogue& catalogue) {
    const int rows = catalogue.rowCount();
    mKeys.reserve(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        if (const ProjectItem* item = catalogue.row(i)) {
            mKeys.insert(foldedKey(item->path));
        }
    }
}

bool DuplicateCheck::contains(const std::string& path) const {
    return mKeys.count(foldedKey(path)) > 0;
}

void DuplicateCheck::add(const std::string& path) {
    mKeys.insert(foldedKey(path));
}

std::optional<ProjectItem> recognizeProject(FileSystem& fs, const std::string& folder,
                                            const std::string& marker,
                                            const DuplicateCheck* duplicates) {
    // The catalogue cannot hold a control byte, and the path cleaned of it would name another
    // folder, which the launch commands would then start or open.
    if (storableText(folder) != folder) {
        return std::nullopt;
    }
    if (duplicates && duplicates->contains(folder)) {
        return std::nullopt;
    }
    if (pathtext::sameName(marker, kLmt)) {
        return ProjectItem{folder, iniTitle(fs, folder), pk2000};
    }
    if (!pathtext::sameName(marker, kGameExe)) {
        return std::nullopt;
    }
    for (const FileSystem::Entry& e : fs.listFolder(folder)) {
        const std::string ext = pathtext::extension(e.name);
        if (pathtext::sameName(ext, ".RPG")) {
            return ProjectItem{folder, e.name.substr(0, e.name.size() - ext.size()), pk95};
        }
    }
    return std::nullopt;
}

} // namespace tavrin
