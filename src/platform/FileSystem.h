#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// The host's files, reached by Windows paths in CP932.
class FileSystem {
public:
    struct Entry {
        std::string name; // CP932
        bool isFolder = false;
        // A symbolic link; isFolder, device and inode then tell what it leads to.
        bool isLink = false;
        // Of a folder, so a walk can tell a folder it is already in; 0, 0 when unknown.
        std::uint64_t device = 0, inode = 0;
    };

    struct FolderIdentity {
        std::uint64_t device = 0, inode = 0; // 0, 0 when unknown
        bool operator==(const FolderIdentity&) const = default;
    };

    virtual ~FileSystem() = default;

    virtual bool fileExists(const std::string& path) = 0;
    virtual bool folderExists(const std::string& path) = 0;
    // The whole file, or nothing when it cannot be opened or read.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // Replaces the file as a whole: the old content stays until the new one is complete.
    // False when the new file could not be written.
    virtual bool writeFileAtomic(const std::string& path, std::string_view bytes) = 0;
    // Removes what replacements of the file cut short (by a kill or a power loss) left beside
    // it. Only while nothing else replaces the file.
    virtual void removeInterruptedWrites(const std::string& /*path*/) {}
    // Renames a file without replacing an existing one; false on failure.
    virtual bool renameFile(const std::string& from, const std::string& to) = 0;
    // The entries of a folder, hidden ones included, without "." and "..".
    virtual std::vector<Entry> listFolder(const std::string& path) = 0;
    // The same, or nothing when the folder cannot be listed. Here an empty listing counts as
    // one that failed: only a service that can tell the two apart says an empty folder is empty.
    virtual std::optional<std::vector<Entry>> tryListFolder(const std::string& path) {
        std::vector<Entry> entries = listFolder(path);
        if (entries.empty()) {
            return std::nullopt;
        }
        return entries;
    }
    // The folder a path leads to, links followed, or nothing when it cannot be entered: missing,
    // a file, or its search permission refused.
    virtual std::optional<FolderIdentity> folderIdentity(const std::string& path) {
        return folderExists(path) ? std::optional<FolderIdentity>(FolderIdentity{}) : std::nullopt;
    }
    // The process's working folder as a Windows path; empty when no drive holds it.
    virtual std::string workingFolder() { return {}; }
    // The Windows path of a host path (a dropped file), or nothing when no drive holds it.
    virtual std::optional<std::string> windowsPathOf(const std::string& /*hostPath*/) {
        return std::nullopt;
    }
};

} // namespace tavrin
