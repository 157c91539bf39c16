#pragma once

#include "launch/GameFiles.h"

#include <optional>
#include <string>
#include <vector>

namespace tavrin {

class FileSystem;
class Registry;

// What an RPG Tsukuru 2000 game needs to start, as far as its folder and the prefix tell.
struct GameNeeds {
    enum class Rtp { notNeeded, installed, missing };
    // What RPG_RT.EXE is: only a 32-bit Windows program can be the runtime. A repository may
    // hold a Git LFS pointer (a few lines of text) in place of the program.
    enum class RuntimeFile {
        missing,
        program32,
        program64,
        empty,
        lfsPointer,
        noProgram,
        unreadable
    };
    Rtp rtp = Rtp::notNeeded;
    RuntimeFile runtimeFile = RuntimeFile::missing;
    std::string unreadableBecause; // CP932, naming the file, when it is there but cannot be read
    // The edition the game is for: its runtime's, else its database's.
    gamefiles::RuntimeKind kind = gamefiles::RuntimeKind::unknown;
    std::vector<std::string> missingDlls; // named by the runtime, found nowhere; as written
    std::optional<gamefiles::Runtime> runtime;
    // The RTP folders the runtime reads (RuntimePackagePath of its kind's keys) that exist,
    // each with its trailing backslash; none when the game needs no RTP.
    std::vector<std::string> rtpFolders;
};

// Reads the project folder (Windows path with a trailing backslash) and the registry. Safe to
// call off the user-interface thread with services that are.
GameNeeds readGameNeeds(FileSystem& fs, Registry& registry, const std::string& projectFolder);

// "RPGツクール2000" or "RPGツクール2003" (CP932); empty for a kind unknown.
std::string editionName(gamefiles::RuntimeKind kind);

// The lines of what is missing, for a question before a start (CP932); empty when nothing is.
std::vector<std::string> missingParts(const GameNeeds& needs);

// Why the runtime cannot be started at all, to be said instead of starting it (CP932, naming
// `runtimePath`); nothing when it is a 32-bit program, or missing, which the start tells itself.
std::optional<std::string> runtimeRefusal(const GameNeeds& needs, const std::string& runtimePath);

} // namespace tavrin
