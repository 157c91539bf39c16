#pragma once

#include "platform/DriveTable.h"
#include "platform/FileSystem.h"

#include <optional>
#include <string>

namespace tavrin {

// The file system of the host, reached by Windows paths through Wine's drive table.
class LinuxFileSystem : public FileSystem {
public:
    explicit LinuxFileSystem(DriveTable drives);

    // The host folder of the Wine prefix: $WINEPREFIX, default ~/.wine.
    static std::string winePrefix();
    // The drive table of that prefix, or drive Z: alone without a prefix.
    static DriveTable driveTableFromEnvironment();

    // Windows path of a host path; nothing when no drive holds it.
    std::optional<std::string> toWindowsPath(const std::string& hostPath) const;
    // Host path of a Windows path, each existing component found as the host names it; a
    // missing component is kept as written (converted to UTF-8). Empty when no drive matches.
    std::string toHostPath(const std::string& windowsPath) const;

    bool fileExists(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override;
    void removeInterruptedWrites(const std::string& path) override;
    bool renameFile(const std::string& from, const std::string& to) override;
    std::vector<Entry> listFolder(const std::string& path) override;
    std::optional<std::vector<Entry>> tryListFolder(const std::string& path) override;
    std::optional<FolderIdentity> folderIdentity(const std::string& path) override;
    std::string workingFolder() override;
    std::optional<std::string> windowsPathOf(const std::string& hostPath) override {
        return toWindowsPath(hostPath);
    }

private:
    // What toHostPath answers when the path exists as written in UTF-8, looked up nowhere: a
    // call that succeeds on it has made toHostPath's look-up, so a walk pays for one, not two.
    // Empty when no drive matches or a component has no UTF-8 form.
    std::string writtenHostPath(const std::string& windowsPath) const;

    DriveTable mDrives;
};

} // namespace tavrin
