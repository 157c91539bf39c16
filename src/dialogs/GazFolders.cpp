#include "dialogs/GazFolders.h"

#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

#include <vector>

namespace tavrin {

namespace {

// A listing as Windows gives it, "." and ".." first, with the entries Windows would show
// as plain folders: Wine marks a name starting with "." hidden.
std::vector<std::string> plainSubfolders(FileSystem& fs, const std::string& folder) {
    const std::optional<std::vector<FileSystem::Entry>> entries = fs.tryListFolder(folder);
    // A file or a refused folder lists nothing at all, not even "..": a file's own folder
    // would otherwise be searched through "file\..".
    if (!entries) {
        return {};
    }
    std::vector<std::string> names = {".", ".."};
    for (const FileSystem::Entry& e : *entries) {
        if (e.isFolder && !e.name.empty() && e.name.front() != '.') {
            names.push_back(e.name);
        }
    }
    return names;
}

} // namespace

std::string resolveGazToolFolder(FileSystem& fs, const std::string& droppedPath,
                                 const std::string& toolName) {
    const std::string program = toolName + ".exe";
    if (pathtext::sameName(pathtext::namePart(droppedPath), program)) {
        return pathtext::folderPart(droppedPath);
    }
    std::string folder = pathtext::withTrailingBackslash(droppedPath);
    if (fs.fileExists(folder + program)) {
        return folder;
    }
    for (const std::string& name : plainSubfolders(fs, folder)) {
        std::string sub = folder + name + "\\";
        if (fs.fileExists(sub + program)) {
            return sub;
        }
    }
    return sj("指定されたフォルダには") + "\"" + program + "\"" + sj("が存在しません。");
}

std::string trimmedToolFolder(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string aplBrowseFilter() {
    return sj("アプリケーション(*.exe)|*.exe|すべてのファイル(*.*)|*.*");
}

std::string gazBrowseFilter(const std::string& program) {
    return program + "|" + program + sj("|すべてのファイル(*.*)|*.*");
}

OpenFileRequest SharedOpenDialog::request(std::string fileName, std::string filter,
                                          const std::string& fieldText) {
    if (!fieldText.empty()) {
        mInitialFolder = pathtext::folderPart(fieldText);
    }
    return {std::move(fileName), std::move(filter), mInitialFolder};
}

} // namespace tavrin
