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
    return {mServices.shell, mServices.dialogs,           mServices.registry,
            mServices.fs,    mSettings.basic.gdiRenderer, {}};
}

int LaunchActions::RecordedStarts::execute(const std::string& file, const std::string& parameters,
                                           const std::string& directory,
                                           const StartOptions& options) {
    if (!runtimeName(file)) {
        return mShell.execute(file, parameters, directory, options);
    }
    StartOptions recorded = options;
    // The start counts once the program has run, not when Wine merely took it.
    recorded.ended = [this, folder = pathtext::folderPart(file), when = std::time(nullptr),
                      told = options.ended](const Outcome& outcome) {
        if (outcome.ran) {
            mLog.recordStart(folder, when);
        }
        if (told) {
            told(outcome);
        }
    };
    return mShell.execute(file, parameters, directory, recorded);
}

LaunchContext LaunchActions::gameContext() {
    LaunchContext ctx{mGameShell,   mServices.dialogs,           mServices.registry,
                      mServices.fs, mSettings.basic.gdiRenderer, {}};
    ctx.chosenCodePage = [this](const std::string& folder) { return mCodePages.chosen(folder); };
    return ctx;
}

void LaunchActions::GameStart() {
    LaunchContext ctx = gameContext();
    tavrin::GameStart(ctx, focused(), mSettings.basic.startSize);
}

void LaunchActions::TestPlay() {
    LaunchContext ctx = gameContext();
    tavrin::TestPlay(ctx, focused(), mSettings.basic.startSize);
}

void LaunchActions::OpenProjectFolder() {
    LaunchContext ctx = context();
    tavrin::OpenProjectFolder(ctx, focused());
}

void LaunchActions::R1Click() {
    LaunchContext ctx = context();
    tavrin::R1Click(ctx, focused());
}

void LaunchActions::TukuruExecute() {
    LaunchContext ctx = context();
    tavrin::TukuruExecute(ctx, focused(), mSettings.trial);
}

void LaunchActions::Tukuru2003Execute() {
    LaunchContext ctx = context();
    tavrin::Tukuru2003Execute(ctx, focused());
}

void LaunchActions::ProjectListDblClick() {
    switch (dblClickAction(mSettings.basic.dblClick)) {
    case DblClickAction::OpenProjectFolder:
        OpenProjectFolder();
        break;
    case DblClickAction::GameStart:
        GameStart();
        break;
    case DblClickAction::EditIn2000:
        TukuruExecute();
        break;
    case DblClickAction::Nothing:
        break;
    case DblClickAction::Unknown:
        mServices.dialogs.message("Not found be specified action", "ProjectListDblClick()");
        break;
    }
}

void LaunchActions::AplButtonClick(int index) {
    LaunchContext ctx = context();
    tavrin::AplButtonClick(ctx, mSettings.bars.aplButtons.at(static_cast<std::size_t>(index)).path);
}

void LaunchActions::GazButtonClick(int index) {
    LaunchContext ctx = context();
    const auto tool = static_cast<std::size_t>(index);
    if (tool == 0) {
        tavrin::Bt_actviewClick(ctx, mSettings.bars.gazToolPath[0], focused());
    } else {
        tavrin::GazToolClick(ctx, tool, mSettings.bars.gazToolPath.at(tool));
    }
}

} // namespace tavrin
