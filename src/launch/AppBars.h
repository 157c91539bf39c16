#pragma once

#include "catalogue/ProjectItem.h"
#include "launch/Launch.h"
#include "platform/UserSettings.h"

#include <array>
#include <string>
#include <string_view>

namespace tavrin {

class FileSystem;
class Icons;

// The Gaz soft tools in their bar order: actview, ccclip, lukey, mywin.
struct GazTool {
    const char* name;    // the button's hint, and the program started without extension
    const char* program; // looked for in the tool's folder, and iconised
};
inline constexpr std::array<GazTool, 4> kGazTools{{{"actview", "actview.exe"},
                                                   {"ccclip", "ccclip.exe"},
                                                   {"lukey", "lukey.exe"},
                                                   {"mywin", "mywin.exe"}}};
inline constexpr int kBarButtonWidth = 25;
inline constexpr int kBarButtonHeight = 23;

// One button of the application or Gaz soft bar. `icon` holds the bytes of an image file.
struct BarButtonPlan {
    bool shown = false;
    std::string hint;
    std::string icon;
};

// What ApplyBarSettings puts on the window. A bar is visible, and its View menu entry checked,
// only when it has a shown button and the settings ask for it; its width counts shown buttons.
struct BarsPlan {
    std::array<BarButtonPlan, 8> apl;
    std::array<BarButtonPlan, 4> gaz;
    int aplCount = 0, gazCount = 0;
    bool nmlVisible = false, aplVisible = false, gazVisible = false;
    int aplWidth() const { return kBarButtonWidth * aplCount; }
    int gazWidth() const { return kBarButtonWidth * gazCount; }
};

BarsPlan planBars(const BarSettings& bars, FileSystem& fs, Icons& icons);

// One small picture for any path: a web address, a folder, a program's own icon, a document's
// desktop icon, and the fallback whenever those give nothing.
std::string iconForPath(FileSystem& fs, Icons& icons, const std::string& path);

// A tool's folder, stored with or without a trailing backslash, joined to a name by one "\".
std::string gazToolPath(std::string_view folder, std::string_view name);

// An application button: its path started by the shell with "0".
void startAppButton(LaunchContext& ctx, const std::string& path);
// actview learns the focused project from its own settings file, then starts. Throws AppError
// when that file cannot be written, and then starts nothing.
void startActview(LaunchContext& ctx, const std::string& toolFolder, const ProjectItem* focused);
// ccclip, lukey or mywin (tool 1..3), started by its extensionless path.
void startGazTool(LaunchContext& ctx, std::size_t tool, const std::string& toolFolder);

} // namespace tavrin
