#pragma once

#include <functional>
#include <string>

namespace tavrin {

// Starts programs, documents, folders and web addresses as the desktop's shell does, and
// shows a file's properties. Paths are Windows paths in CP932; nothing started is waited for.
class Shell {
public:
    // Shell results below 33 are failures.
    static constexpr int kFileNotFound = 2;
    static constexpr int kNoAssociation = 31;

    virtual ~Shell() = default;

    // The default action on `file` with the parameter text, in the working folder `directory`
    // (empty: the shell chooses). Above 32 when the request was handed over; kFileNotFound
    // when the file is missing; kNoAssociation when nothing can start it.
    virtual int execute(const std::string& file, const std::string& parameters,
                        const std::string& directory) = 0;

    // How a Windows program ended, or that it still runs once the watch is over.
    struct Outcome {
        bool ran = true;    // false: Wine could not start it, or it ended at once with a failure
        int exitStatus = 0; // of a program that ended
        std::string said;   // the last lines Wine and the program wrote, CP932
    };
    struct StartOptions {
        // The ANSI code page a Windows program runs under; 0: the program's own (932). A path
        // that code page cannot spell is reached through one it can.
        int codePage = 0;
        // Told once, on this thread, for a Windows program the shell handed over.
        std::function<void(const Outcome&)> ended;
        // Told once, on this thread, when a Windows program that ran has ended, after `ended`;
        // never when this program ends first.
        std::function<void()> finished;
    };
    // The same, with the options; a shell that cannot watch tells `ended` at once that the
    // program ran.
    virtual int execute(const std::string& file, const std::string& parameters,
                        const std::string& directory, const StartOptions& options) {
        const int result = execute(file, parameters, directory);
        if (result > 32 && options.ended) {
            options.ended(Outcome{});
        }
        return result;
    }
    // The properties of a file or folder; without a desktop that shows them, the folder opens.
    virtual void showProperties(const std::string& path) = 0;

    // What keeps a Windows program from starting here, found before anything starts.
    enum class Hindrance {
        none,
        noWine,           // nothing runs Windows programs
        no32BitWine,      // a 32-bit program, and only 64-bit Wine is installed
        prefixLacks32Bit, // the prefix was made before 32-bit Wine was installed
        noLocale,         // the locale that gives Wine the program's code page is not there
    };
    struct Readiness {
        Hindrance hindrance = Hindrance::none;
        // Started through Wine: its per-program settings live in Software\Wine of the registry.
        bool throughWine = false;
        std::string prefix;      // the prefix's host folder, CP932, for the messages
        std::string locale = {}; // with noLocale: the locale to generate
    };
    // `codePage` as in StartOptions.
    virtual Readiness readiness(const std::string& file, int codePage) = 0;

    // Whether a full-screen game can have its 640 x 480 screen: false when the display cannot
    // switch to it (a virtual display, some remote desktops).
    virtual bool fullScreenPossible() { return true; }

    // Runs `then` once the place Windows programs run in exists. Making it may take a while:
    // then `then` runs later, on this thread, while the window stays usable, and not at all
    // when it cannot be made (the shell says so itself). A step given again under the same
    // non-empty `key` while it waits replaces the waiting one.
    virtual void whenPrepared(std::function<void()> then, const std::string& key = {}) = 0;
};

} // namespace tavrin
