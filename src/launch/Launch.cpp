#include "launch/Launch.h"

#include "app/Settings.h"
#include "launch/Tavrinutils.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/PathText.h"
#include "platform/ProfileFile.h"
#include "platform/Shell.h"

namespace tavrin {

namespace {

std::string screenMode(const char* mode, int startSize) {
    switch (startSize) {
    case 0:
        return std::string(mode) + " ShowTitle FullScreen";
    case 1:
        return std::string(mode) + " ShowTitle Window";
    default:
        return {};
    }
}

// Which edition opens the project, and the names it goes by.
struct EditorProfile {
    std::string folder; // used as it stands: names are appended without a separator
    const char* program;
    const char* settingsFile;
    const char* section;
};

void warn(LaunchContext& ctx, const char* utf8Text) {
    ctx.dialogs.messageBox(sj(utf8Text), sj("RPGツクールで編集"), MsgIcon::Warning, MsgButtons::Ok,
                           MsgResult::Ok);
}

// Settings file first, start last: a failed write leaves the editor unstarted.
void openInEditor(LaunchContext& ctx, const EditorProfile& editor, const std::string& base,
                  const std::string& name) {
    const std::string iniPath = editor.folder + editor.settingsFile;
    ProfileFile ini = readProfile(ctx.fs, iniPath);
    ini.writeString(editor.section, "ProjectBasePath", base);
    ini.writeString(editor.section, "OpenedProjectFolder", name);
    writeProfile(ctx.fs, iniPath, ini);
    ExecuteFile(ctx.shell, editor.folder + editor.program, "0");
}

} // namespace

StartRequest gameStartRequest(const ProjectItem& item, int startSize) {
    const std::string folder = pathtext::withTrailingBackslash(item.Path);
    switch (item.Kind) {
    case pk2000:
        return {folder + "RPG_RT.EXE", screenMode("GamePlay", startSize)};
    case pk95:
        return {folder + "GAME.EXE", {}};
    default:
        return {folder, {}};
    }
}

std::optional<StartRequest> testPlayRequest(const ProjectItem& item, int startSize) {
    switch (item.Kind) {
    case pk2000:
        return StartRequest{pathtext::withTrailingBackslash(item.Path) + "RPG_RT.EXE",
                            screenMode("TestPlay", startSize)};
    case pk95:
        return std::nullopt;
    default:
        return gameStartRequest(item, startSize);
    }
}

void GameStart(LaunchContext& ctx, const ProjectItem* focused, int startSize) {
    if (!focused) {
        return;
    }
    const StartRequest r = gameStartRequest(*focused, startSize);
    ExecuteFile(ctx.shell, r.file, r.parameters);
}

void TestPlay(LaunchContext& ctx, const ProjectItem* focused, int startSize) {
    if (!focused) {
        return;
    }
    const std::optional<StartRequest> r = testPlayRequest(*focused, startSize);
    if (!r) {
        ctx.dialogs.messageBox(sj("テストプレーはツクール95作品に対応していません。"),
                               sj("ツクール95作品"), MsgIcon::None, MsgButtons::Ok, MsgResult::Ok);
        return;
    }
    ExecuteFile(ctx.shell, r->file, r->parameters);
}

void OpenProjectFolder(LaunchContext& ctx, const ProjectItem* focused) {
    if (focused) {
        ctx.shell.execute(focused->Path, {}, {});
    }
}

void R1Click(LaunchContext& ctx, const ProjectItem* focused) {
    if (focused) {
        ctx.shell.showProperties(focused->Path);
    }
}

void RunApplication(LaunchContext& ctx, const std::string& path) {
    if (path.empty()) {
        return;
    }
    if (!ExecuteFile(ctx.shell, path, "0")) {
        ctx.dialogs.messageBox(sj("指定されたアプリケーション・ファイルを開けません。"), "Error",
                               MsgIcon::Warning, MsgButtons::Ok, MsgResult::Ok);
    }
}

void TukuruExecute(LaunchContext& ctx, const ProjectItem* focused, const TrySettings& trial) {
    if (!focused || focused->Kind == pk95) {
        return;
    }
    const std::string base = projectBaseFolder(focused->Path);
    const std::string name = projectFolderName(focused->Path);
    if (trial.useTry) {
        if (trial.tryPath.empty()) {
            warn(ctx, "体験版を使用される場合は「環境設定」でパスの設定を行ってください。");
            return;
        }
        openInEditor(ctx, {trial.tryPath, "RPG2000T.exe", "RPG2000T.ini", "RPG2000"}, base, name);
        return;
    }
    const std::string enterbrain = "Software\\Enterbrain\\RPG2000";
    std::string folder =
        ReadRegistryString(ctx.registry, "Software\\ASCII\\RPG2000", "ApplicationPath");
    if (folder.empty()) {
        folder = ReadRegistryString(ctx.registry, enterbrain, "ApplicationPath");
    }
    if (folder.empty()) {
        warn(ctx, "RPGツクール2000がインストールされていません。");
        return;
    }
    // Only an editor registered by its later publisher reads the project from the registry.
    if (!ReadRegistryString(ctx.registry, enterbrain, "ApplicationPath").empty()) {
        WriteEditorRegistry(ctx.registry, enterbrain, base, name);
    }
    openInEditor(ctx, {folder, "RPG2000.exe", "RPG2000.ini", "RPG2000"}, base, name);
}

void Tukuru2003Execute(LaunchContext& ctx, const ProjectItem* focused) {
    if (!focused || focused->Kind == pk95) {
        return;
    }
    const std::string key = "Software\\Enterbrain\\RPG2003";
    const std::string folder = ReadRegistryString(ctx.registry, key, "ApplicationPath");
    if (folder.empty()) {
        warn(ctx, "RPGツクール2003がインストールされていません。");
        return;
    }
    const std::string base = projectBaseFolder(focused->Path);
    const std::string name = projectFolderName(focused->Path);
    WriteEditorRegistry(ctx.registry, key, base, name);
    openInEditor(ctx, {folder, "RPG2003.exe", "RPG2003.ini", "RPG2003"}, base, name);
}

} // namespace tavrin
