#pragma once

#include "platform/Registry.h"

#include <string>

namespace tavrin {

class Registry;
class Shell;

// Starts or opens `file` with the parameter text, in the folder part of `file`; true when the
// shell took the request. The only way the program starts anything.
bool startOrOpen(Shell& shell, const std::string& file, const std::string& parameters);

// Sets "ProjectBasePath" then "OpenedProjectFolder" under `key`, creating it. Throws AppError
// "'%s' の設定に失敗しました" with the value's name when one cannot be written.
void writeEditorRegistry(Registry& registry, const std::string& key, const std::string& baseFolder,
                         const std::string& folderName);
bool is2003EditorInstalled(Registry& registry);

// The folder that holds a project folder, with a trailing backslash ("C:\Games\Hero\" gives
// "C:\Games\"), and the project folder's own name ("Hero").
std::string projectBaseFolder(const std::string& path);
std::string projectFolderName(const std::string& path);

} // namespace tavrin
