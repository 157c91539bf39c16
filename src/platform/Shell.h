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
    // The properties of a file or folder; without a desktop that shows them, the folder opens.
    virtual void showProperties(const std::string& path) = 0;

    // What keeps a Windows program from starting here, found before anything starts.
    enum class Hindrance {
        none,
        noWine,           // nothing runs Windows programs
        no32BitWine,      // a 32-bit program, and only 64-bit Wine is installed
        prefixLacks32Bit, // the prefix was made before 32-bit Wine was installed
    };
    struct Readiness {
        Hindrance hindrance = Hindrance::none;
        // Started through Wine: its per-program settings live in Software\Wine of the registry.
        bool throughWine = false;
        std::string prefix; // the prefix's host folder, CP932, for the messages
    };
    virtual Readiness readiness(const std::string& file) = 0;

    // Runs `then` once the place Windows programs run in exists. Making it may take a while:
    // then `then` runs later, on this thread, while the window stays usable, and not at all
    // when it cannot be made (the shell says so itself).
    virtual void whenPrepared(std::function<void()> then) = 0;
};

} // namespace tavrin
