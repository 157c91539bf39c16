#include "launch/Launch.h"

#include "launch/GameCodePage.h"
#include "launch/GameNeeds.h"
#include "launch/StartHelpers.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <exception>
#include <vector>

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

constexpr char kEditorCaption[] = "RPGツクールで編集";

void warn(LaunchContext& ctx, const char* utf8Text) {
    ctx.dialogs.messageBox(sj(utf8Text), sj(kEditorCaption), MsgIcon::warning, MsgButtons::ok,
                           MsgResult::ok);
}

// A text as one word of a POSIX shell's command line.
std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// What to install or run, in the user's words, when a Windows program cannot start here. Each
// command on a line of its own, so it can be copied from the box.
std::string hindranceText(const Shell::Readiness& r, const std::string& file) {
    const std::string install32 = "sudo dpkg --add-architecture i386\n"
                                  "sudo apt-get update\n";
    switch (r.hindrance) {
    case Shell::Hindrance::none:
        break;
    case Shell::Hindrance::noWine:
        return sj("Windows のプログラムを動かす Wine がインストールされていません。\n\n"
                  "次のコマンドでインストールしてください:\n") +
               install32 + "sudo apt-get install wine wine32:i386";
    case Shell::Hindrance::no32BitWine:
        return formatMessage(sj("%s は 32 ビットの Windows プログラムですが、32 ビットの Wine "
                                "(wine32) がインストールされていません。\n\n"
                                "次のコマンドでインストールしてください:\n"),
                             file) +
               install32 + "sudo apt-get install wine32:i386";
    case Shell::Hindrance::prefixLacks32Bit:
        return formatMessage(sj("Wine の環境 %s は 32 ビットの Wine より前に作られたため、"
                                "32 ビットのプログラムを動かせません。\n\n"
                                "次のコマンドで更新してください:\n"),
                             r.prefix) +
               // Without the timestamp gone, wineboot takes the prefix for current and skips it.
               "rm " + shellQuoted(r.prefix + "/.update-timestamp") + "\n" +
               "WINEPREFIX=" + shellQuoted(r.prefix) + " wineboot -u";
    case Shell::Hindrance::noLocale:
        return formatMessage(sj("%s をゲームの文字コードで動かすためのロケール "), file) +
               r.locale + sj(" がありません。\n\n次のコマンドで作成してください:\n") +
               "sudo sh -c \"echo '" + r.locale + " UTF-8' >>/etc/locale.gen && locale-gen\"";
    }
    return {};
}

// Says why `file` cannot start here, before anything is written or started.
std::optional<Shell::Readiness> readyToStart(LaunchContext& ctx, const std::string& file,
                                             const char* caption, int codePage = 0) {
    Shell::Readiness r = ctx.shell.readiness(file, codePage);
    if (r.hindrance == Shell::Hindrance::none) {
        return r;
    }
    ctx.dialogs.messageBox(hindranceText(r, file), sj(caption), MsgIcon::warning, MsgButtons::ok,
                           MsgResult::ok);
    return std::nullopt;
}

// Wine's default Direct3D renderer raises floating-point exceptions that the runtimes unmask,
// and they die at start; GDI drawing they survive. Written only when it differs, so a prefix
// that has it is left alone.
void useGdiRenderer(Registry& registry, const std::string& program) {
    const std::string key = "Software\\Wine\\AppDefaults\\" + program + "\\Direct3D";
    std::string renderer;
    if (registry.readString(key, "renderer", renderer) == Registry::Read::ok && renderer == "gdi") {
        return;
    }
    if (!registry.writeString(key, "renderer", "gdi")) {
        throw AppError(formatMessage(sj("'%s' の設定に失敗しました"), "renderer"));
    }
}

// A step run later, outside any command: its failure is shown as a command's would be.
void guarded(Dialogs& dialogs, const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& e) {
        dialogs.messageBox(errorBoxText(e.what()), "Tavrin", MsgIcon::error, MsgButtons::ok,
                           MsgResult::ok);
    }
}

enum class Parameters { always, windowsOnly };

// A Windows program that Wine could not start, or that ended at once with a failure, is told
// with what Wine said; the program's own boxes have told the rest.
void tellEnded(Dialogs& dialogs, const std::string& file, const char* caption,
               const Shell::Outcome& outcome) {
    if (outcome.ran) {
        return;
    }
    std::string text = formatMessage(sj("%s を起動できませんでした"), file) + sj("（終了コード ") +
                       std::to_string(outcome.exitStatus) + sj("）。");
    if (!outcome.said.empty()) {
        text += "\n\n" + sj("Wine の出力:") + "\n" + outcome.said;
    }
    dialogs.messageBox(text, sj(caption), MsgIcon::warning, MsgButtons::ok, MsgResult::ok);
}

// What a start of a Windows program carries besides its file and parameters.
struct StartPlan {
    std::string parameters;
    int codePage = 0;
    std::string key = {}; // one waiting start per key while the prefix is made
    Parameters given = Parameters::always;
};

// Starts `file` once it can: a Windows program after its checks, in a prefix made first where
// there is none. `failed` runs when the shell refuses the start; `wanted`, after the checks that
// Wine can run it, may still call the start off or change the plan.
void startWhenReady(LaunchContext& ctx, const std::string& file, StartPlan plan,
                    const char* caption, std::function<void()> failed = {},
                    const std::function<bool(StartPlan&)>& wanted = {}) {
    const std::optional<Shell::Readiness> r = readyToStart(ctx, file, caption, plan.codePage);
    if (!r || (wanted && !wanted(plan))) {
        return;
    }
    const std::optional<std::string> runtime = runtimeName(file);
    const bool gdi = r->throughWine && runtime && ctx.gdiRenderer;
    if (!r->throughWine) {
        const std::string native =
            plan.given == Parameters::always ? plan.parameters : std::string();
        if (!startOrOpen(ctx.shell, file, native) && failed) {
            failed();
        }
        return;
    }
    const std::string key = plan.key;
    ctx.shell.whenPrepared(
        [ctx, file, plan = std::move(plan), caption, runtime, gdi,
         failed = std::move(failed)]() mutable {
            // A prefix just made may have come out without its 32-bit half.
            if (!readyToStart(ctx, file, caption, plan.codePage)) {
                return;
            }
            Registry::Then start = [ctx, file, plan, caption, failed]() mutable {
                Shell::StartOptions options;
                options.codePage = plan.codePage;
                options.ended = [&dialogs = ctx.dialogs, file, caption](const Shell::Outcome& o) {
                    tellEnded(dialogs, file, caption, o);
                };
                if (ctx.shell.execute(file, plan.parameters, pathtext::folderPart(file), options) <=
                        32 &&
                    failed) {
                    failed();
                }
            };
            guarded(ctx.dialogs, [&] {
                if (!gdi) {
                    start();
                    return;
                }
                ctx.registry.later(plan.key, [program = *runtime, start](Registry& registry) {
                    useGdiRenderer(registry, program);
                    return start;
                });
            });
        },
        key);
}

// Before an RPG Tsukuru 2000 game starts: a runtime that is no program is told instead; the
// user decides whether to start although something it needs is known to be missing; the game
// gets the code page its files are named in. A folder without its runtime starts nothing
// anyway, so it is not asked.
bool preparedGame(LaunchContext& ctx, const std::optional<GameNeeds>& gameNeeds,
                  const std::string& runtime, const char* caption) {
    if (!gameNeeds) {
        return true;
    }
    const GameNeeds& needs = *gameNeeds;
    if (const std::optional<std::string> refusal = runtimeRefusal(needs, runtime)) {
        ctx.dialogs.messageBox(*refusal, sj(caption), MsgIcon::warning, MsgButtons::ok,
                               MsgResult::ok);
        return false;
    }
    const std::vector<std::string> missing = missingParts(needs);
    if (!missing.empty()) {
        std::string text;
        for (const std::string& line : missing) {
            text += line + "\n";
        }
        text += "\n" + sj("このまま起動しますか？");
        // The user asked for the start; the box tells rather than forbids.
        if (ctx.dialogs.messageBox(text, sj(caption), MsgIcon::warning, MsgButtons::yesNo,
                                   MsgResult::yes) != MsgResult::yes) {
            return false;
        }
    }
    return true;
}

// A full-screen game on a display that cannot give it 640 x 480 shows only a black window:
// said before the start, with a window offered for this once.
bool screenModeFits(LaunchContext& ctx, const char* caption, StartPlan& plan) {
    const std::string full = " ShowTitle FullScreen";
    if (!plan.parameters.ends_with(full) || ctx.shell.fullScreenPossible()) {
        return true;
    }
    const std::string text =
        sj("この画面は 640×480 に切り替えられないため、フルスクリーンでは起動できません。\n\n"
           "今回はウインドウで起動しますか？");
    if (ctx.dialogs.messageBox(text, sj(caption), MsgIcon::warning, MsgButtons::yesNo,
                               MsgResult::yes) != MsgResult::yes) {
        return false;
    }
    plan.parameters.replace(plan.parameters.size() - full.size(), full.size(), " ShowTitle Window");
    return true;
}

void startGame(LaunchContext& ctx, const ProjectItem& item, const StartRequest& r,
               const char* caption) {
    StartPlan plan;
    plan.parameters = r.parameters;
    plan.key = pathtext::withTrailingBackslash(item.path);
    auto start = [ctx, r, caption](StartPlan plan, const std::optional<GameNeeds>& needs) mutable {
        startWhenReady(ctx, r.file, std::move(plan), caption, {}, [&](StartPlan& p) {
            return preparedGame(ctx, needs, r.file, caption) && screenModeFits(ctx, caption, p);
        });
    };
    if (item.kind != pk2000 || !ctx.fs.fileExists(r.file)) {
        start(std::move(plan), std::nullopt);
        return;
    }
    // The user's choices are kept on this thread; the folder and the registry are read as they
    // are when the start is asked for.
    std::optional<int> chosen;
    if (ctx.chosenCodePage) {
        chosen = ctx.chosenCodePage(item.path);
    }
    const std::string key = plan.key;
    ctx.registry.later(key, [&fs = ctx.fs, folder = item.path, plan = std::move(plan), chosen,
                             start = std::move(start)](Registry& registry) mutable {
        GameNeeds needs = readGameNeeds(fs, registry, folder);
        plan.codePage = chosen ? *chosen : gamecodepage::read(fs, plan.key, needs.rtpFolders);
        return Registry::Then(
            [plan = std::move(plan), needs = std::move(needs), start = std::move(start)]() mutable {
                start(std::move(plan), needs);
            });
    });
}

// Settings file first, start last: a failed write leaves the editor unstarted.
void openInEditor(LaunchContext& ctx, const EditorProfile& editor, const std::string& base,
                  const std::string& name) {
    const std::string iniPath = editor.folder + editor.settingsFile;
    ProfileFile ini = readProfile(ctx.fs, iniPath);
    ini.writeString(editor.section, "ProjectBasePath", base);
    ini.writeString(editor.section, "OpenedProjectFolder", name);
    writeProfile(ctx.fs, iniPath, ini);
    startWhenReady(ctx, editor.folder + editor.program, StartPlan{"0", 0, {}, Parameters::always},
                   kEditorCaption);
}

// The editor's checks come before the project is written anywhere.
bool editorCanStart(LaunchContext& ctx, const EditorProfile& editor) {
    return readyToStart(ctx, editor.folder + editor.program, kEditorCaption).has_value();
}

} // namespace

std::optional<std::string> runtimeName(const std::string& file) {
    const std::string name = pathtext::namePart(file);
    for (const char* runtime : {"RPG_RT.exe", "GAME.exe"}) {
        if (pathtext::sameName(name, runtime)) {
            return runtime;
        }
    }
    return std::nullopt;
}

StartRequest gameStartRequest(const ProjectItem& item, int startSize) {
    const std::string folder = pathtext::withTrailingBackslash(item.path);
    switch (item.kind) {
    case pk2000:
        return {folder + "RPG_RT.EXE", screenMode("GamePlay", startSize)};
    case pk95:
        return {folder + "GAME.EXE", {}};
    default:
        return {folder, {}};
    }
}

std::optional<StartRequest> testPlayRequest(const ProjectItem& item, int startSize) {
    switch (item.kind) {
    case pk2000:
        return StartRequest{pathtext::withTrailingBackslash(item.path) + "RPG_RT.EXE",
                            screenMode("TestPlay", startSize)};
    case pk95:
        return std::nullopt;
    default:
        return gameStartRequest(item, startSize);
    }
}

void playGame(LaunchContext& ctx, const ProjectItem* focused, int startSize) {
    if (!focused) {
        return;
    }
    startGame(ctx, *focused, gameStartRequest(*focused, startSize), "ゲーム実行");
}

void testPlay(LaunchContext& ctx, const ProjectItem* focused, int startSize) {
    if (!focused) {
        return;
    }
    const std::optional<StartRequest> r = testPlayRequest(*focused, startSize);
    if (!r) {
        ctx.dialogs.messageBox(sj("テストプレーはツクール95作品に対応していません。"),
                               sj("ツクール95作品"), MsgIcon::none, MsgButtons::ok, MsgResult::ok);
        return;
    }
    startGame(ctx, *focused, *r, "テストプレー");
}

void openProjectFolder(LaunchContext& ctx, const ProjectItem* focused) {
    if (focused) {
        ctx.shell.execute(focused->path, {}, {});
    }
}

void showProjectProperties(LaunchContext& ctx, const ProjectItem* focused) {
    if (focused) {
        ctx.shell.showProperties(focused->path);
    }
}

void runApplication(LaunchContext& ctx, const std::string& path) {
    if (path.empty()) {
        return;
    }
    Dialogs& dialogs = ctx.dialogs;
    // The "0" is what the Windows programs of the bar are given; a program of the host would
    // take it for a file to open.
    startWhenReady(ctx, path, StartPlan{"0", 0, {}, Parameters::windowsOnly}, "Tavrin", [&dialogs] {
        dialogs.messageBox(sj("指定されたアプリケーション・ファイルを開けません。"), "Error",
                           MsgIcon::warning, MsgButtons::ok, MsgResult::ok);
    });
}

void openIn2000Editor(LaunchContext& ctx, const ProjectItem* focused, const TrySettings& trial) {
    if (!focused || focused->kind == pk95) {
        return;
    }
    const std::string base = projectBaseFolder(focused->path);
    const std::string name = projectFolderName(focused->path);
    if (trial.useTry) {
        if (trial.tryPath.empty()) {
            warn(ctx, "体験版を使用される場合は「環境設定」でパスの設定を行ってください。");
            return;
        }
        const EditorProfile editor{trial.tryPath, "RPG2000T.exe", "RPG2000T.ini", "RPG2000"};
        if (editorCanStart(ctx, editor)) {
            openInEditor(ctx, editor, base, name);
        }
        return;
    }
    const std::string key = "RPG2000|" + focused->path;
    ctx.registry.later(key, [ctx, key, base, name](Registry& registry) {
        const std::string enterbrain = "Software\\Enterbrain\\RPG2000";
        std::string folder =
            readRegistryString(registry, "Software\\ASCII\\RPG2000", "ApplicationPath");
        if (folder.empty()) {
            folder = readRegistryString(registry, enterbrain, "ApplicationPath");
        }
        return Registry::Then([ctx, key, base, name, folder, enterbrain]() mutable {
            if (folder.empty()) {
                warn(ctx, "RPGツクール2000がインストールされていません。");
                return;
            }
            const EditorProfile editor{folder, "RPG2000.exe", "RPG2000.ini", "RPG2000"};
            if (!editorCanStart(ctx, editor)) {
                return;
            }
            ctx.registry.later(key, [ctx, editor, base, name, enterbrain](Registry& registry) {
                // Only an editor registered by its later publisher reads the project from the
                // registry.
                if (!readRegistryString(registry, enterbrain, "ApplicationPath").empty()) {
                    writeEditorRegistry(registry, enterbrain, base, name);
                }
                return Registry::Then(
                    [ctx, editor, base, name]() mutable { openInEditor(ctx, editor, base, name); });
            });
        });
    });
}

void openIn2003Editor(LaunchContext& ctx, const ProjectItem* focused) {
    if (!focused || focused->kind == pk95) {
        return;
    }
    const std::string key = "RPG2003|" + focused->path;
    const std::string base = projectBaseFolder(focused->path);
    const std::string name = projectFolderName(focused->path);
    ctx.registry.later(key, [ctx, key, base, name](Registry& registry) {
        const std::string regKey = "Software\\Enterbrain\\RPG2003";
        const std::string folder = readRegistryString(registry, regKey, "ApplicationPath");
        return Registry::Then([ctx, key, base, name, folder, regKey]() mutable {
            if (folder.empty()) {
                warn(ctx, "RPGツクール2003がインストールされていません。");
                return;
            }
            const EditorProfile editor{folder, "RPG2003.exe", "RPG2003.ini", "RPG2003"};
            if (!editorCanStart(ctx, editor)) {
                return;
            }
            ctx.registry.later(key, [ctx, editor, base, name, regKey](Registry& registry) {
                writeEditorRegistry(registry, regKey, base, name);
                return Registry::Then(
                    [ctx, editor, base, name]() mutable { openInEditor(ctx, editor, base, name); });
            });
        });
    });
}

} // namespace tavrin
