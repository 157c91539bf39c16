#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// Wine's drive table: each drive letter names a host folder, so Windows paths inside the
// program and host paths map onto each other as the games and editors under Wine see them.
class DriveTable {
public:
    struct Drive {
        char letter = 'Z';      // upper case
        std::string hostFolder; // absolute host path
    };

    DriveTable() = default;
    explicit DriveTable(std::vector<Drive> drives);

    // Drive "Z:" for "/" alone, as Wine sets it up.
    static DriveTable rootOnly();

    const std::vector<Drive>& drives() const { return mDrives; }

    // The Windows path (CP932) of a host path, by the drive whose host folder is its longest
    // prefix; nothing when no drive holds it.
    std::optional<std::string> toWindows(std::string_view hostPath) const;

private:
    std::vector<Drive> mDrives;
};

} // namespace tavrin
