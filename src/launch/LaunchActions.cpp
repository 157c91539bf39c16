#include "launch/LaunchActions.h"

#include "catalogue/ListCommands.h"
#include "launch/AppBars.h"
#include "launch/CodePageChoices.h"
#include "launch/PlayLog.h"
#include "platform/Dialogs.h"
#include "platform/PathText.h"

#include <ctime>

namespace tavrin {

LaunchContext LaunchActions::context() {
    return {mUses.shell, mUses.dialogs, mUses.registry, mUses.fs, mSettings.basic.gdiRenderer, {}};
}

int LaunchActions::RecordedStarts::execute(const std::string& file, const std::string& parameters,
                                           const std::string& directory,
                                           const StartOptions& options) {
    if (!runtimeName(file)) {
        return mShell.execute(file, parameters, directory, options);
    }
    StartOptions recorded = options;
    const std::uint64_t run = mNextRun++;
    // The start counts once the program has run, not when Wine merely took it.
    recorded.ended = [this, run, folder = pathtext::folderPart(file), when = std::time(nullptr),
                      told = options.ended](const Outcome& outcome) {
        if (outcome.ran) {
            mLog.recordStart(folder, when);
            mRunning[run] = {folder, when};
        }
        if (told) {
            told(outcome);
        }
    };
    recorded.finished = [this, run, told = options.finished] {
        const auto it = mRunning.find(run);
        if (it != mRunning.end()) {
            const Running played = it->second;
            mRunning.erase(it);
            mLog.recordPlay(played.folder, played.since, std::time(nullptr), !played.counted);
        }
        if (told) {
            told();
        }
    };
    return mShell.execute(file, parameters, directory, recorded);
}

void LaunchActions::RecordedStarts::countRunningUntil(std::time_t now) {
    for (auto& [run, running] : mRunning) {
        mLog.recordPlay(running.folder, running.since, now, !running.counted);
        running.since = now;
        running.counted = true;
    }
}

LaunchContext LaunchActions::gameContext() {
    LaunchContext ctx{
        mGameShell, mUses.dialogs, mUses.registry, mUses.fs, mSettings.basic.gdiRenderer, {}};
    ctx.chosenCodePage = [this](const std::string& folder) { return mCodePages.chosen(folder); };
    return ctx;
}

void LaunchActions::playGame() {
    LaunchContext ctx = gameContext();
    tavrin::playGame(ctx, focused(), mSettings.basic.startSize);
}

void LaunchActions::testPlay() {
    LaunchContext ctx = gameContext();
    tavrin::testPlay(ctx, focused(), mSettings.basic.startSize);
}

void LaunchActions::openProjectFolder() {
    LaunchContext ctx = context();
    tavrin::openProjectFolder(ctx, focused());
}

void LaunchActions::showProjectProperties() {
    LaunchContext ctx = context();
    tavrin::showProjectProperties(ctx, focused());
}

void LaunchActions::openIn2000Editor() {
    LaunchContext ctx = context();
    tavrin::openIn2000Editor(ctx, focused(), mSettings.trial);
}

void LaunchActions::openIn2003Editor() {
    LaunchContext ctx = context();
    tavrin::openIn2003Editor(ctx, focused());
}

void LaunchActions::runDoubleClickAction() {
    switch (dblClickAction(mSettings.basic.dblClick)) {
    case DblClickAction::openProjectFolder:
        openProjectFolder();
        break;
    case DblClickAction::playGame:
        playGame();
        break;
    case DblClickAction::editIn2000:
        openIn2000Editor();
        break;
    case DblClickAction::nothing:
        break;
    case DblClickAction::unknown:
        mUses.dialogs.message("Not found be specified action", "ProjectListDblClick()");
        break;
    }
}

void LaunchActions::startAppButton(int index) {
    LaunchContext ctx = context();
    tavrin::startAppButton(ctx, mSettings.bars.aplButtons.at(static_cast<std::size_t>(index)).path);
}

void LaunchActions::startGazButton(int index) {
    LaunchContext ctx = context();
    const auto tool = static_cast<std::size_t>(index);
    if (tool == 0) {
        tavrin::startActview(ctx, mSettings.bars.gazToolPath[0], focused());
    } else {
        tavrin::startGazTool(ctx, tool, mSettings.bars.gazToolPath.at(tool));
    }
}

} // namespace tavrin
