#pragma once

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
};

} // namespace tavrin
