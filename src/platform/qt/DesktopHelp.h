#pragma once

#include "platform/Help.h"

#include <memory>
#include <string>
#include <utility>

class QObject;

namespace tavrin {

class Dialogs;
class LinuxFileSystem;

// Opens the program's HTML manual through xdg-open, at its contents or at the anchor of a
// context number. A missing page is reported as a help viewer would report it, and so is an
// xdg-open that fails, as it does when nothing on the desktop opens HTML.
class DesktopHelp : public Help {
public:
    // manualFolder: the host folder of the manual. The manual is reached by host paths alone,
    // so the file system goes unused; the parameter keeps the services' wiring as it is.
    // pageFolder: where the pages that lead to a topic are written (see open()).
    DesktopHelp(LinuxFileSystem& /*fs*/, Dialogs& dialogs, std::string manualFolder,
                std::string pageFolder = topicPageFolder());
    ~DesktopHelp() override;

    // The user's cache folder for the program: $XDG_CACHE_HOME/Tavrin/help.
    static std::string topicPageFolder();

    // helpFile, the Windows help file the windows name, is not read: the manual's place was
    // settled when the program started.
    void showContents(const std::string& helpFile) override;
    void showContext(const std::string& helpFile, int context) override;

private:
    // Opens `page` of the manual, at `anchor` when it is not empty.
    void open(const char* page, const std::string& anchor);
    void report(const char* pattern, const std::string& path);

    Dialogs& mDialogs;
    std::string mManualFolder;
    std::string mPageFolder;
    // Owns the watches of xdg-open still running: they end with the help.
    std::unique_ptr<QObject> mWatches;
};

// The manual's host folder for a program whose executable lies in exeFolder (host path): its
// "help" folder when that holds the contents page (a portable copy, a build folder), otherwise
// where an installation puts it, <prefix>/share/tavrin/help.
std::string manualFolderFor(const std::string& exeFolder);

} // namespace tavrin
