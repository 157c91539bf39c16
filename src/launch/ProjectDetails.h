#pragma once

#include "catalogue/ProjectItem.h"
#include "launch/GameNeeds.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

class FileSystem;

// What the details pane finds in a project folder and how it words it, without a window. Every
// byte comes from a folder anyone may have made.
namespace details {

enum class PictureFormat { png, bmp, xyz };
struct PictureFile {
    std::string path;
    PictureFormat format = PictureFormat::png;
};

// The project's title screen picture: for a 2000 game (or a row of no kind) the one its
// database names, looked up in its "Title" folder as .png, .bmp or .xyz in any letter case,
// else the only picture there; for a 95 work the only picture in "Title", else one in its own
// folder whose name starts with "title".
std::optional<PictureFile> findTitlePicture(FileSystem& fs, const std::string& folder,
                                            ProjectKind kind);

// No title picture is near this size; a larger file is not read.
inline constexpr std::uint64_t kPictureFileLimit = std::uint64_t{16} << 20;

struct FolderSize {
    std::uint64_t bytes = 0;
    std::uint64_t files = 0;
    bool complete = true; // false: stopped at the limit, the size is at least this
};
// Past this many entries a folder's size is shown as "at least".
inline constexpr std::uint64_t kMostEntriesCounted = 100000;
// The files under the folder, folder links not followed. `stop` is asked before each entry;
// true ends the count there.
FolderSize countFolder(FileSystem& fs, const std::string& folder, std::uint64_t mostEntries,
                       const std::function<bool()>& stop);

// The pane's lines, CP932.
std::vector<std::string> needsLines(ProjectKind kind, const std::optional<GameNeeds>& needs);
std::string sizeLine(const FolderSize& size);
std::string lastStartedLine(std::optional<std::time_t> when);
// How long and how often it was played; count 0: not yet.
std::string playTimeLine(std::uint64_t seconds, std::uint32_t count);
// The picture's place when there is none to show, or none that can be shown.
std::string noPictureLine();
std::string unreadablePictureLine();
std::string oversizedPictureLine();
// While a row's details are read, and while its folder is counted.
std::string readingLine();
std::string countingLine();
// The code page box: its caption, and its first entry, the code page the game's files tell.
std::string codePageCaption();
std::string automaticCodePage(int detected);

struct Extent {
    int width = 0, height = 0;
    bool operator==(const Extent&) const = default;
};
// A picture drawn in `room`: at its pixel size, enlarged by the largest whole factor that fits,
// or reduced by the smallest whole divisor that fits.
Extent wholeStepSize(Extent picture, Extent room);

} // namespace details
} // namespace tavrin
