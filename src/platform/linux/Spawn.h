#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// A program to start on the host, never as our child.
struct ProgramStart {
    std::vector<std::string> argv; // argv[0] is the file run
    std::vector<std::string> env;
    std::string folder;    // empty: stays as it is
    bool toolRuns = false; // a missing file at exec time is the tool's, not the user's
    int outputFd = -1;     // when set, the program's standard output and error
    bool noInput = false;  // its standard input is /dev/null, so nothing waits for an answer
    // When set, a watcher of ours stays between us and the program (never our child either)
    // and writes the program's wait status (an int) there when it ends.
    int watchFd = -1;
};

enum class Started { yes, folderMissing, fileMissing, failed };

// Runs the program in a new session, its parent gone at once, so it is never our child and
// never a zombie, and lives on when we end; returns when it has been exec'd or failed to.
Started startDetached(const ProgramStart& launch);

// Runs the program as startDetached does and waits for its end, at most `limit`: its exit
// status, or nothing when it could not start, ended by a signal, or was still running at the
// limit, when it is killed with all it started. For short tools whose answer is needed now.
std::optional<int> runAndWait(ProgramStart launch, std::chrono::milliseconds limit);

// The tool's full path from PATH.
std::optional<std::string> findOnPath(std::string_view tool);

// This process's environment, as "name=value" entries.
std::vector<std::string> currentEnvironment();

} // namespace tavrin
