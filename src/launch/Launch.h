#pragma once

#include "catalogue/ProjectItem.h"
#include "platform/UserSettings.h"

#include <functional>
#include <optional>
#include <string>

namespace tavrin {

class Dialogs;
class FileSystem;
class Registry;
class Shell;

// What the launch commands reach. Each command acts on the list's focused row (nullptr: none,
// and the command does nothing) and returns at once: nothing started is waited for, and what
// must first be read from or written to the registry goes through `registry.later`, the command
// going on from there.
struct LaunchContext {
    Shell& shell;
    Dialogs& dialogs;
    Registry& registry;
    FileSystem& fs;
    // Game runtimes under Wine draw through GDI ([B_Setting] gdirenderer).
    bool gdiRenderer = true;
    // The code page the user chose for a project folder's game; nothing: the one its files
    // tell. Not set: always those.
    std::function<std::optional<int>(const std::string&)> chosenCodePage = {};
};

struct StartRequest {
    std::string file;
    std::string parameters;
};

// The game of a project: its runtime with the screen mode of startSize, or for a row of no
// kind the project folder itself.
StartRequest gameStartRequest(const ProjectItem& item, int startSize);
// The same in test-play mode; nothing for an RPG Tsukuru 95 work, which has none.
std::optional<StartRequest> testPlayRequest(const ProjectItem& item, int startSize);

// The program name a runtime's per-program Wine settings go by ("RPG_RT.exe", "GAME.exe"), or
// nothing when `file` is no game runtime.
std::optional<std::string> runtimeName(const std::string& file);

void playGame(LaunchContext& ctx, const ProjectItem* focused, int startSize);
void testPlay(LaunchContext& ctx, const ProjectItem* focused, int startSize);
void openProjectFolder(LaunchContext& ctx, const ProjectItem* focused);
void showProjectProperties(LaunchContext& ctx, const ProjectItem* focused);
// A program the user chose; says so when it cannot be started.
void runApplication(LaunchContext& ctx, const std::string& path);

// The project in the RPG Tsukuru 2000 editor (or its trial edition) and in the 2003 editor:
// the editor learns the project from its registry key and its settings file, then starts.
void openIn2000Editor(LaunchContext& ctx, const ProjectItem* focused, const TrySettings& trial);
void openIn2003Editor(LaunchContext& ctx, const ProjectItem* focused);

} // namespace tavrin
