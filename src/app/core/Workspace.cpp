#include "app/core/Workspace.h"

#include "app/core/SettingsFile.h"
#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/InstanceMarker.h"
#include "platform/ProfileFile.h"

namespace tavrin {

Workspace::Workspace(Services services, const std::string& appFolder)
    : mServices(services), mHelpFile(appFolder + "Tavrin.hlp"),
      mSettingsPath(appFolder + "Tavrin.ini"),
      mCatalogueFile(services.ownFiles, services.dialogs, appFolder + "data.ixo"),
      mPlayLog(services.ownFiles, appFolder + "Tavrin.played"),
      mCodePages(services.ownFiles, appFolder + "Tavrin.codepage"),
      mLaunch({services.shell, services.dialogs, services.registry, services.fs}, mSettings,
              mPlayLog, mCodePages) {}

void Workspace::open(CatalogueReadAhead* readAhead) {
    Dialogs& dialogs = mServices.dialogs;
    // A copy that cannot take the marker cannot know that it is alone.
    if (mServices.instanceMarker.heldElsewhere()) {
        dialogs.message(sj("既に起動しています。"), "Tavrin");
        mSecondCopy = true;
    } else if (!mServices.instanceMarker.acquire()) {
        dialogs.message(sj("データを置くフォルダに、ほかの Tavrin と同時に使わないための目印を"
                           "作成できません。終了します。"),
                        "Tavrin", MsgIcon::warning);
        mSecondCopy = true;
    }
    // Under the marker no other copy writes these files, so what a write cut short left
    // beside them is nobody's.
    if (!mSecondCopy) {
        for (const std::string& path :
             {mCatalogueFile.path(), mSettingsPath, mPlayLog.path(), mCodePages.path()}) {
            mServices.ownFiles.removeInterruptedWrites(path);
        }
        mPlayLog.readAhead();
    }
    mCatalogueFile.load(mCatalogue, readAhead);
    mCatalogueRead = true;

    // Settings that cannot be read start from the defaults, and their file is left as it is:
    // written at the close, it would lose every value the user set.
    ProfileFile ini;
    try {
        ini = readProfile(mServices.ownFiles, mSettingsPath);
        mSettingsRead = true;
    } catch (const AppError& e) {
        dialogs.message(e.what() + std::string("\n") +
                            sj("設定は既定の値で始めます。このファイルは書き換えません。"),
                        "Tavrin", MsgIcon::warning);
    }
    readSettingsFile(ini, mSettings);
    mStoredLayout = readWindowLayout(ini, kDesignedTreeWidth);
}

void Workspace::close(const WindowLayout& layout, Colour listBackground) {
    if (mSecondCopy) {
        return;
    }
    mLaunch.countRunningPlays();
    // Only what was read is written back: a start-up cut short by a failure must not replace a
    // file with an empty catalogue or default settings.
    if (mCatalogueRead) {
        mCatalogueFile.settle(mCatalogue, true);
        mCatalogueFile.write(mCatalogue);
    }
    if (mSettingsRead) {
        // Read again, so that what another program added to the file meanwhile stays.
        ProfileFile ini = readProfile(mServices.ownFiles, mSettingsPath);
        writeSettingsFile(ini, mSettings);
        writeWindowLayout(ini, layout, mSettings, listBackground);
        writeProfile(mServices.ownFiles, mSettingsPath, ini);
    }
    mServices.instanceMarker.release();
}

} // namespace tavrin
