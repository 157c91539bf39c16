#pragma once

#include "app/core/WindowLayout.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFile.h"
#include "launch/CodePageChoices.h"
#include "launch/LaunchActions.h"
#include "launch/PlayLog.h"
#include "platform/Services.h"
#include "platform/UserSettings.h"

#include <string>

namespace tavrin {

// What one run of Tavrin works on: the catalogue and the settings, the files that keep them,
// the play log and the code pages chosen beside them, the commands that start programs, and
// the marker that keeps a second copy from writing any of it. Built before the window, which
// shows it, and outlives the window.
class Workspace {
public:
    // appFolder: the Windows path, with its trailing backslash, of the folder in
    // services.ownFiles that holds the program's own files.
    Workspace(Services services, const std::string& appFolder);
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Takes the marker, removes what writes cut short left beside the files, and reads the
    // catalogue and the settings. What cannot be read is told and starts empty or from the
    // defaults; a second copy is told so and reads without writing. A read ahead for the
    // catalogue's path is taken instead of reading it again.
    void open(CatalogueReadAhead* readAhead = nullptr);
    // Writes back what open() read, with the window's layout then, and lets the marker go.
    // Throws AppError when a file cannot be written: the marker is kept, and a later close may
    // try again.
    void close(const WindowLayout& layout, Colour listBackground);
    // Brings the catalogue's records out of the mapped file once they are copied, which takes a
    // moment after open(); true when that is done and there is nothing more to wait for.
    bool settle() { return mCatalogueFile.settle(mCatalogue, false); }

    // Another copy runs, or this one could not tell: it must end and write nothing.
    bool isSecondCopy() const { return mSecondCopy; }

    Catalogue& catalogue() { return mCatalogue; }
    UserSettings& settings() { return mSettings; }
    // The window's layout as the settings file stored it.
    const WindowLayout& storedLayout() const { return mStoredLayout; }
    LaunchActions& launch() { return mLaunch; }
    PlayLog& playLog() { return mPlayLog; }
    CodePageChoices& codePages() { return mCodePages; }
    const std::string& helpFile() const { return mHelpFile; }

private:
    Services mServices;
    std::string mHelpFile;
    std::string mSettingsPath;
    Catalogue mCatalogue;
    UserSettings mSettings;
    CatalogueFile mCatalogueFile;
    PlayLog mPlayLog;
    CodePageChoices mCodePages;
    LaunchActions mLaunch;
    WindowLayout mStoredLayout;
    bool mSecondCopy = false;
    // Set once each file has been read: what was not read is not written back.
    bool mCatalogueRead = false;
    bool mSettingsRead = false;
};

} // namespace tavrin
