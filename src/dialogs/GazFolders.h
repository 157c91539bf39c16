#pragma once

#include "platform/Dialogs.h"

#include <array>
#include <string>
#include <string_view>

namespace tavrin {

class FileSystem;

// The Gaz soft tools in the order of their bar buttons and of BarSettings::gazToolPath.
inline constexpr std::array<const char*, 4> kGazToolNames = {"actview", "ccclip", "lukey", "mywin"};

// The folder of a tool's program, from a path dropped on the tool's field: the program itself,
// its folder, or a folder whose direct subfolder holds it. When none is found, a message for the
// user instead of a folder, left in the field where the user sees it.
std::string resolveGazToolFolder(FileSystem& fs, const std::string& droppedPath,
                                 const std::string& toolName);

// A tool folder as stored: every trailing byte up to 0x20 removed.
std::string trimmedToolFolder(std::string_view text);

// The file dialog's filter for an application-bar entry.
std::string aplBrowseFilter();
// The filter for a tool: its program first, so the list opens on that name alone.
std::string gazBrowseFilter(const std::string& program);

// A file dialog shared by several browse buttons: a field holding text starts the dialog in
// that text's folder, an empty field where the dialog last started.
class SharedOpenDialog {
public:
    OpenFileRequest request(std::string fileName, std::string filter, const std::string& fieldText);

private:
    std::string mInitialFolder;
};

} // namespace tavrin
