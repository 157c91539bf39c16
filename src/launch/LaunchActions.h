#pragma once

#include "launch/Launch.h"
#include "platform/Shell.h"
#include "platform/UserSettings.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <string>

namespace tavrin {

class CodePageChoices;
class Dialogs;
class FileSystem;
class Registry;
class PlayLog;
struct ProjectItem;

// The commands that start something: on the list's focused row (nothing when there is none),
// and from the two bars. Each reads the settings as they stand when it runs.
class LaunchActions {
public:
    using FocusedItem = std::function<const ProjectItem*()>;
    // Game starts and test plays that ran are written down in `log`; games run in the code
    // pages of `codePages`.
    // What the commands reach: the shell that starts programs, the questions they ask, the
    // registry and the files they read.
    struct Uses {
        Shell& shell;
        Dialogs& dialogs;
        Registry& registry;
        FileSystem& fs;
    };
    LaunchActions(Uses uses, const UserSettings& settings, PlayLog& log, CodePageChoices& codePages)
        : mUses(uses), mSettings(settings), mGameShell(uses.shell, log), mCodePages(codePages) {}
    // The game shell refers to this object's own members.
    LaunchActions(const LaunchActions&) = delete;
    LaunchActions& operator=(const LaunchActions&) = delete;

    void playGame();
    void testPlay();
    void openProjectFolder();
    void showProjectProperties();
    void openIn2000Editor();
    void openIn2003Editor();
    // What [B_Setting] DblClick names.
    void runDoubleClickAction();
    // Buttons in bar order, from 0.
    void startAppButton(int index);
    void startGazButton(int index);

    // The row the commands act on; none until a list is followed.
    void follow(FocusedItem focused) { mFocused = std::move(focused); }
    // Games and test plays still running are counted as played until now: this program ends
    // first and will not hear their end.
    void countRunningPlays() { mGameShell.countRunningUntil(std::time(nullptr)); }

private:
    // The shell of game starts: a runtime that ran is a start of its project, and the time until
    // it ended a play of it.
    class RecordedStarts : public Shell {
    public:
        RecordedStarts(Shell& shell, PlayLog& log) : mShell(shell), mLog(log) {}
        int execute(const std::string& file, const std::string& parameters,
                    const std::string& directory) override {
            return mShell.execute(file, parameters, directory);
        }
        int execute(const std::string& file, const std::string& parameters,
                    const std::string& directory, const StartOptions& options) override;
        void showProperties(const std::string& path) override { mShell.showProperties(path); }
        Readiness readiness(const std::string& file, int codePage) override {
            return mShell.readiness(file, codePage);
        }
        bool fullScreenPossible() override { return mShell.fullScreenPossible(); }
        void whenPrepared(std::function<void()> then, const std::string& key) override {
            mShell.whenPrepared(std::move(then), key);
        }
        void countRunningUntil(std::time_t now);

    private:
        struct Running {
            std::string folder;
            std::time_t since = 0;
            bool counted = false; // its play is in the log; what follows adds time alone
        };

        Shell& mShell;
        PlayLog& mLog;
        std::map<std::uint64_t, Running> mRunning;
        std::uint64_t mNextRun = 0;
    };

    LaunchContext context();
    LaunchContext gameContext();
    const ProjectItem* focused() const { return mFocused ? mFocused() : nullptr; }

    Uses mUses;
    const UserSettings& mSettings;
    RecordedStarts mGameShell;
    CodePageChoices& mCodePages;
    FocusedItem mFocused;
};

} // namespace tavrin
