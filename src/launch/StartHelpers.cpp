#include "launch/StartHelpers.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/PathText.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace tavrin {

bool startOrOpen(Shell& shell, const std::string& file, const std::string& parameters) {
    return shell.execute(file, parameters, pathtext::folderPart(file)) > 32;
}

void writeEditorRegistry(Registry& registry, const std::string& key, const std::string& baseFolder,
                         const std::string& folderName) {
    const auto write = [&](const std::string& name, const std::string& data) {
        if (!registry.writeString(key, name, data)) {
            throw AppError(formatMessage(sj("'%s' の設定に失敗しました"), name));
        }
    };
    write("ProjectBasePath", baseFolder);
    write("OpenedProjectFolder", folderName);
}

bool is2003EditorInstalled(Registry& registry) {
    return !readRegistryString(registry, "Software\\Enterbrain\\RPG2003", "ApplicationPath")
                .empty();
}

std::string projectBaseFolder(const std::string& path) {
    return pathtext::withTrailingBackslash(
        pathtext::folderPart(pathtext::withoutTrailingBackslash(path)));
}

std::string projectFolderName(const std::string& path) {
    return pathtext::namePart(pathtext::withoutTrailingBackslash(path));
}

} // namespace tavrin
