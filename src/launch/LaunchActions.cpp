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
        if (outcome.ran && mLog) {
            mLog->recordStart(folder, when);
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
    if (mCodePages) {
        ctx.chosenCodePage = [choices = mCodePages](const std::string& folder) {
            return choices->chosen(folder);
        };
    }
    return ctx;
}

void LaunchActions::GameStart() {
    LaunchContext ctx = gameContext();
    tavrin::GameStart(ctx, mFocused(), mSettings.basic.startSize);
}

void LaunchActions::TestPlay() {
    LaunchContext ctx = gameContext();
    tavrin::TestPlay(ctx, mFocused(), mSettings.basic.startSize);
}

void LaunchActions::OpenProjectFolder() {
    LaunchContext ctx = context();
    tavrin::OpenProjectFolder(ctx, mFocused());
}

void LaunchActions::R1Click() {
    LaunchContext ctx = context();
    tavrin::R1Click(ctx, mFocused());
}

void LaunchActions::TukuruExecute() {
    LaunchContext ctx = context();
    tavrin::TukuruExecute(ctx, mFocused(), mSettings.trial);
}

void LaunchActions::Tukuru2003Execute() {
    LaunchContext ctx = context();
    tavrin::Tukuru2003Execute(ctx, mFocused());
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
        tavrin::Bt_actviewClick(ctx, mSettings.bars.gazToolPath[0], mFocused());
    } else {
        tavrin::GazToolClick(ctx, tool, mSettings.bars.gazToolPath.at(tool));
    }
}

} // namespace tavrin
