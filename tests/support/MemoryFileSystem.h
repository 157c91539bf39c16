// Files and folders in memory, reached by Windows paths as the program's own file system is.
#pragma once

#include "platform/FileSystem.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tavrin::test {

// Names are found without regard to the case of ASCII letters, as Wine finds them, and "." and
// ".." are taken as Windows takes them, so a path names what it would name there.
//
// Files live in `files`; a folder is there only when made (folder(), or listed in `folders`), so
// a file may be written where no folder was made. A listing gives a folder's subfolders in the
// order they were made, then its files by name.
//
// Failures on demand, each a list of paths: a file that refuses to be written, one that reads as
// nothing, one that is there but refused on reading (a FIFO, a device); a folder that cannot be
// entered, one that cannot be listed. A folder may stand for a link by naming another in `links`.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> folders;
    std::map<std::string, std::string> links; // folder -> the folder it leads to

    std::vector<std::string> failWrites, unreadable, refused;
    std::vector<std::string> noEntry, noListing;

    std::string cwd;                     // the working folder
    std::vector<std::string> askedFiles; // every path given to fileExists, in order
    std::vector<std::string> cleaned;    // every removeInterruptedWrites, in order
    // How a path is named to the user, as the host names it; unset: as given.
    std::function<std::string(const std::string&)> shownAs;

    MemoryFileSystem() = default;
    ~MemoryFileSystem() override { release(); }

    // The file with its content, its folders made.
    MemoryFileSystem& file(const std::string& path, std::string content = {});
    // The folder and every folder above it.
    MemoryFileSystem& folder(const std::string& path);

    // The listing of `folder` waits until release(), so a worker walking it stands still there.
    void holdAt(const std::string& folder) {
        std::lock_guard lock(mMutex);
        mHeld = folder;
    }
    bool holding() {
        std::lock_guard lock(mMutex);
        return mHolding;
    }
    void release();

    bool fileExists(const std::string& path) override {
        askedFiles.push_back(path);
        return findFile(path) != files.end();
    }
    bool folderExists(const std::string& path) override {
        return folderIndex(path, false) != std::string::npos;
    }
    using FileSystem::readFile;
    std::optional<std::string> readFile(const std::string& path) override;
    std::optional<std::uint64_t> fileSize(const std::string& path) override {
        const auto it = findFile(path);
        return it == files.end() ? std::nullopt : std::optional<std::uint64_t>(it->second.size());
    }
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override;
    void removeInterruptedWrites(const std::string& path) override { cleaned.push_back(path); }
    std::string shownPath(const std::string& path) override {
        return shownAs ? shownAs(path) : path;
    }
    bool renameFile(const std::string& from, const std::string& to) override;
    std::vector<Entry> listFolder(const std::string& path) override {
        return list(path).value_or(std::vector<Entry>());
    }
    std::optional<std::vector<Entry>> tryListFolder(const std::string& path) override {
        return list(path);
    }
    std::optional<FolderIdentity> folderIdentity(const std::string& path) override;
    std::string workingFolder() override { return cwd; }

private:
    std::map<std::string, std::string>::iterator findFile(const std::string& path);
    // Where the folder stands in `folders`, links followed; npos when it was never made.
    std::size_t folderIndex(const std::string& path, bool followLinks) const;
    std::optional<std::vector<Entry>> list(const std::string& path);

    std::mutex mMutex;
    std::condition_variable mReleased;
    std::string mHeld;
    bool mHolding = false;
};

} // namespace tavrin::test
