#pragma once

#include "catalogue/ProjectItem.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace tavrin {

class Catalogue;
class FileSystem;

// The marker names a search looks for, from the search settings' kinds (2: RPG Tsukuru 2000,
// 4: RPG Tsukuru 95), "RPG_RT.lmt" first.
std::vector<std::string> markerNamesFor(int matchKinds);

// What the walk hands to the window side. The scanner thread runs showSearchedFolder and
// addFoundProject on the user-interface thread and waits for them; an exception they raise ends
// the walk.
class ScanHost {
public:
    virtual ~ScanHost() = default;
    // Cancellation, read at the start of each subfolder.
    virtual bool terminated() = 0;
    // The pause gate: returns once the search may go on. Passed before a folder is entered and
    // before each hand-over.
    virtual void gate() {}
    virtual void showSearchedFolder(const std::string& folder) = 0;
    virtual void addFoundProject(const std::string& folder, const std::string& marker) = 0;
};

// A start folder as the walk reports it: absolute (a relative one from the working folder), "."
// and ".." resolved, "/" made "\", letter case as written, exactly one trailing "\" (a drive
// root "C:\"). Empty for an empty text or one no drive can hold.
std::string absoluteFolderPath(FileSystem& fs, const std::string& folder);

// The walk below one start folder, depth first, each folder's markers tested after all its
// subfolders, the start folder's last. Paths are Windows paths with exactly one trailing "\".
// Folder links are followed, never into a folder already on the path from the start folder or
// above it.
// Returns 0, also when it stopped on a cancellation.
int walkFolders(FileSystem& fs, const std::string& startFolder,
                const std::vector<std::string>& markerNames, ScanHost& host);

// The paths of the selected folder's rows, for the duplicate check: ASCII letters without
// regard to case, every other byte exact. One look-up per project, whatever the row count.
class DuplicateCheck {
public:
    explicit DuplicateCheck(const Catalogue& catalogue);
    bool contains(const std::string& path) const;
    void add(const std::string& path);

private:
    std::unordered_set<std::string> mKeys;
};

// The user-interface step of a found marker: the item to append to the selected folder, or
// nothing (a duplicate, "GAME.EXE" without a "*.RPG" entry, or a folder path holding a control
// byte). The title is as found; the catalogue cleans it. `duplicates` is null when the
// duplicate check is off; the caller adds each appended path to it, so a search does not add a
// path twice. Throws AppError when "RPG_RT.ini" exists but cannot be read.
std::optional<ProjectItem> recognizeProject(FileSystem& fs, const std::string& folder,
                                            const std::string& marker,
                                            const DuplicateCheck* duplicates);

} // namespace tavrin
