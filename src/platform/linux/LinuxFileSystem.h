#pragma once

#include "platform/DriveTable.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>

namespace tavrin {

// The file system of the host, reached by Windows paths through Wine's drive table.
class LinuxFileSystem : public FileSystem {
public:
    // The calls by which an atomic write reaches the disk, so a test can check their order:
    // a replacement is durable only when the data is synced before the rename and the folder
    // after it.
    class WriteCalls {
    public:
        virtual ~WriteCalls() = default;
        virtual int open(const char* path, int flags, mode_t mode);
        virtual ssize_t write(int fd, const void* bytes, std::size_t size);
        virtual int fsync(int fd);
        virtual int rename(const char* from, const char* to);
    };

    // `calls` must outlive the file system.
    explicit LinuxFileSystem(DriveTable drives, WriteCalls* calls = nullptr);

    // The host folder of the Wine prefix: $WINEPREFIX, default ~/.wine.
    static std::string winePrefix();
    // The drive table of that prefix, or drive Z: alone without a prefix.
    static DriveTable driveTableFromEnvironment();

    // The drive table from now on: after the prefix was made or changed. Safe while other
    // threads use the file system; a call under way finishes with the table it began with.
    void useDrives(DriveTable drives);

    // Windows path of a host path; nothing when no drive holds it.
    std::optional<std::string> toWindowsPath(const std::string& hostPath) const;
    // Host path of a Windows path, each existing component found as the host names it; a
    // missing component is kept as written (converted to UTF-8). Empty when no drive matches.
    std::string toHostPath(const std::string& windowsPath) const;

    bool fileExists(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, std::uint64_t limit) override;
    // Mapped, not read, where the system allows.
    std::optional<HeldFile> holdFile(const std::string& path, std::uint64_t limit) override;
    // readFile by host path, links followed, the error naming the host path.
    static std::optional<std::string> readHostFile(const std::string& hostPath,
                                                   std::uint64_t limit);
    // The same, handed over a piece at a time with the file's size, so a large file need not
    // be held whole; false when there is no such file.
    using Piece = std::function<void(std::string_view piece, std::uint64_t fileSize)>;
    static bool readHostFileInPieces(const std::string& hostPath, std::uint64_t limit,
                                     const Piece& piece);
    // One look-up of the folder, then its entries by their host names: a game folder's names
    // are often CP932 bytes that a look-up by Windows path finds only by listing each parent.
    FolderCount countFolder(const std::string& path, const std::function<bool()>& stop) override;
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override;
    void removeInterruptedWrites(const std::string& path) override;
    bool renameFile(const std::string& from, const std::string& to) override;
    std::vector<Entry> listFolder(const std::string& path) override;
    std::optional<std::vector<Entry>> tryListFolder(const std::string& path) override;
    std::optional<FolderIdentity> folderIdentity(const std::string& path) override;
    std::optional<EnteredFolder> enterFolder(const std::string& path,
                                             const WantedFolder& wanted) override;
    std::string workingFolder() override;
    std::optional<std::string> windowsPathOf(const std::string& hostPath) override {
        return toWindowsPath(hostPath);
    }
    std::string shownPath(const std::string& path) override;

private:
    // What toHostPath answers when the path exists as written in UTF-8, looked up nowhere: a
    // call that succeeds on it has made toHostPath's look-up, so a walk pays for one, not two.
    // Empty when no drive matches or a component has no UTF-8 form.
    std::string writtenHostPath(const std::string& windowsPath) const;

    std::shared_ptr<const DriveTable> drives() const;

    mutable std::mutex mDrivesLock;
    std::shared_ptr<const DriveTable> mDrives;
    WriteCalls* mCalls;
};

} // namespace tavrin
