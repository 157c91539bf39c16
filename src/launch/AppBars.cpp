#include "launch/AppBars.h"

#include "platform/FileSystem.h"
#include "platform/Icons.h"
#include "platform/PathText.h"
#include "platform/ProfileFile.h"

namespace tavrin {

namespace {

bool startsWithHttp(std::string_view path) {
    constexpr std::string_view http = "http:";
    if (path.size() < http.size()) {
        return false;
    }
    for (std::size_t i = 0; i < http.size(); ++i) {
        char c = path[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != http[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string iconForPath(FileSystem& fs, Icons& icons, const std::string& path) {
    std::optional<std::string> icon;
    if (fs.folderExists(path)) {
        icon = icons.desktopIcon(Icons::Desktop::folder, path);
    } else if (fs.fileExists(path)) {
        if (pathtext::sameName(pathtext::extension(path), ".exe")) {
            icon = icons.fileIcon(path);
        } else {
            icon = icons.desktopIcon(Icons::Desktop::document, path);
        }
    } else if (startsWithHttp(path)) {
        icon = icons.desktopIcon(Icons::Desktop::webAddress, path);
    }
    if (!icon) {
        return icons.fallbackIcon();
    }
    return *icon;
}

std::string gazToolPath(std::string_view folder, std::string_view name) {
    return pathtext::withTrailingBackslash(folder) + std::string(name);
}

BarsPlan planBars(const BarSettings& bars, FileSystem& fs, Icons& icons) {
    BarsPlan plan;
    for (std::size_t i = 0; i < bars.aplButtons.size(); ++i) {
        const AplButtonEntry& entry = bars.aplButtons[i];
        plan.apl[i] = {entry.shown, entry.path, iconForPath(fs, icons, entry.path)};
        plan.aplCount += entry.shown ? 1 : 0;
    }
    for (std::size_t t = 0; t < kGazTools.size(); ++t) {
        const std::string program = gazToolPath(bars.gazToolPath[t], kGazTools[t].program);
        BarButtonPlan& button = plan.gaz[t];
        button.icon = iconForPath(fs, icons, program);
        button.shown = fs.fileExists(program);
        if (button.shown) {
            button.hint = kGazTools[t].name;
            ++plan.gazCount;
        }
    }
    plan.nmlVisible = bars.nmlBarVisible;
    plan.aplVisible = plan.aplCount > 0 && bars.aplBarVisible;
    plan.gazVisible = plan.gazCount > 0 && bars.gazBarVisible;
    return plan;
}

void startAppButton(LaunchContext& ctx, const std::string& path) {
    runApplication(ctx, path);
}

void startActview(LaunchContext& ctx, const std::string& toolFolder, const ProjectItem* focused) {
    const std::string folder = gazToolPath(toolFolder, "");
    if (focused) {
        const std::string ini = folder + "actview.ini";
        ProfileFile file = readProfile(ctx.fs, ini);
        file.writeString("System", "Path", pathtext::withoutTrailingBackslash(focused->path));
        writeProfile(ctx.fs, ini, file);
    }
    runApplication(ctx, folder + "actview");
}

void startGazTool(LaunchContext& ctx, std::size_t tool, const std::string& toolFolder) {
    runApplication(ctx, gazToolPath(toolFolder, kGazTools[tool].name));
}

} // namespace tavrin
