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
    Rtp rtp = Rtp::notNeeded;
    std::vector<std::string> missingDlls; // named by the runtime or RPG_RT.ini, found nowhere
    std::optional<gamefiles::Runtime> runtime;
};

// Reads the project folder (Windows path with a trailing backslash) and the registry. Safe to
// call off the user-interface thread with services that are.
GameNeeds readGameNeeds(FileSystem& fs, Registry& registry, const std::string& projectFolder);

// The lines of what is missing, for a question before a start (CP932); empty when nothing is.
std::vector<std::string> missingParts(const GameNeeds& needs);

} // namespace tavrin
