#pragma once

#include "platform/AppError.h"
#include "platform/Cp932.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrin {

// Sizes past which a file of each kind is refused unread: far above any real one, so that a
// file that is not what its name says cannot take all memory.
// data.ixo: an item takes 80 to 100 bytes, so 1,000,000 items measure about 100 MB; ten times
// that leaves room for long paths and titles.
inline constexpr std::uint64_t kCatalogueFileLimit = std::uint64_t{1} << 30;
// Tavrin.ini, the editors' and tools' profiles, a game's RPG_RT.ini: a few kilobytes each.
inline constexpr std::uint64_t kProfileFileLimit = std::uint64_t{16} << 20;
// Wine's user.reg: tens of MB in a prefix with much installed.
inline constexpr std::uint64_t kWineRegistryFileLimit = std::uint64_t{512} << 20;
// The largest kind, so a caller that names none refuses no real file.
inline constexpr std::uint64_t kReadFileLimit = kCatalogueFileLimit;

// The message for a file refused for its size; `shownPath` in CP932.
inline std::string fileTooLargeMessage(const std::string& shownPath, std::uint64_t limit) {
    std::string size = std::to_string(limit) + sj(" バイト");
    for (const auto& [unit, name] :
         {std::pair{std::uint64_t{1} << 30, " GiB"}, std::pair{std::uint64_t{1} << 20, " MiB"},
          std::pair{std::uint64_t{1} << 10, " KiB"}}) {
        if (limit >= unit && limit % unit == 0) {
            size = std::to_string(limit / unit) + name;
            break;
        }
    }
    return formatMessage(sj("%s は大きすぎます（上限 "), shownPath) + size + sj("）。");
}

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
    // The whole file, or nothing when it is not there. A file that is there but cannot be read
    // as one throws AppError naming it, so that it is kept rather than replaced: a folder, a
    // FIFO or a device, one the user may not read, one larger than kReadFileLimit.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // The same, refused above `limit` bytes.
    virtual std::optional<std::string> readFile(const std::string& path, std::uint64_t limit) {
        std::optional<std::string> bytes = readFile(path);
        if (bytes && bytes->size() > limit) {
            throw AppError(fileTooLargeMessage(path, limit));
        }
        return bytes;
    }
    // A whole file's bytes, kept by `owner`. A file system may map the file rather than read it,
    // so its bytes cost nothing until touched; they then change with the file, and are to be
    // copied before they are kept for long.
    struct HeldFile {
        std::shared_ptr<const void> owner;
        std::string_view bytes;
        bool mapped = false;
        // Whether the file still is as it was when held, as far as its size and time tell.
        std::function<bool()> unchanged;
    };
    // readFile's file held, refused as readFile refuses it.
    virtual std::optional<HeldFile> holdFile(const std::string& path, std::uint64_t limit) {
        std::optional<std::string> bytes = readFile(path, limit);
        if (!bytes) {
            return std::nullopt;
        }
        auto owned = std::make_shared<const std::string>(std::move(*bytes));
        const std::string_view view = *owned;
        return HeldFile{std::move(owned), view, false, [] { return true; }};
    }
    // The size of a file in bytes, a link not followed; nothing when it is no file, or when
    // this file system cannot tell.
    virtual std::optional<std::uint64_t> fileSize(const std::string& /*path*/) {
        return std::nullopt;
    }
    // The files under a folder, folder links not followed: their bytes and their number. `stop`
    // is asked before each entry; true ends the count there, unfinished.
    struct FolderCount {
        std::uint64_t bytes = 0, files = 0;
        bool complete = true;
    };
    virtual FolderCount countFolder(const std::string& path, const std::function<bool()>& stop) {
        FolderCount count;
        std::vector<std::string> waiting{path};
        while (!waiting.empty()) {
            std::string at = std::move(waiting.back());
            waiting.pop_back();
            if (at.empty() || at.back() != '\\') {
                at += '\\';
            }
            for (const Entry& e : tryListFolder(at).value_or(std::vector<Entry>())) {
                if (stop()) {
                    count.complete = false;
                    return count;
                }
                if (e.isFolder && !e.isLink) {
                    waiting.push_back(at + e.name);
                } else if (const std::optional<std::uint64_t> bytes = fileSize(at + e.name)) {
                    count.bytes += *bytes;
                    ++count.files;
                }
            }
        }
        return count;
    }
    // Replaces the file as a whole: the old content stays until the new one is complete.
    // False when the new file could not be written.
    virtual bool writeFileAtomic(const std::string& path, std::string_view bytes) = 0;
    // Removes what replacements of the file cut short (by a kill or a power loss) left beside
    // it, and nothing else. Only while nothing else replaces the file.
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
    // What a folder walk needs of a folder it goes into: its identity as folderIdentity gives
    // it, then, once `wanted` has accepted that identity, its listing as tryListFolder gives it.
    // Nothing when the folder cannot be entered or was not wanted.
    struct EnteredFolder {
        FolderIdentity id;
        std::optional<std::vector<Entry>> entries;
    };
    using WantedFolder = std::function<bool(const FolderIdentity&)>;
    virtual std::optional<EnteredFolder> enterFolder(const std::string& path,
                                                     const WantedFolder& wanted) {
        const std::optional<FolderIdentity> id = folderIdentity(path);
        if (!id || !wanted(*id)) {
            return std::nullopt;
        }
        return EnteredFolder{*id, tryListFolder(path)};
    }
    // The process's working folder as a Windows path; empty when no drive holds it.
    virtual std::string workingFolder() { return {}; }
    // The Windows path of a host path (a dropped file), or nothing when no drive holds it.
    virtual std::optional<std::string> windowsPathOf(const std::string& /*hostPath*/) {
        return std::nullopt;
    }
    // A path as the user finds it in a file manager (CP932): the host path where there is one.
    virtual std::string shownPath(const std::string& path) { return path; }
};

} // namespace tavrin
