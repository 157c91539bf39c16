#pragma once

#include "launch/SideFile.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

class FileSystem;

// When each project was last started from this program, and how long and how often it was
// played, kept in a file of its own beside the settings ("Tavrin.played"), never in the
// catalogue, whose format other copies read. CP932 lines: per project the time of its last start
// in UTC ("2026-12-08T18:29:29Z"), a tab, the project folder; then, once it has been played,
// "played", the seconds played, the plays and the time the last one ended, a tab before each,
// and a tab and the folder. Copies that know only the first kind skip the second.
// Read once, when first needed or ahead of that; used on one thread, parsed on another.
class PlayLog {
public:
    // The most recent starts kept; older ones fall off when the file is written.
    static constexpr std::size_t kMostKept = 10000;

    // `files`: the program's own files; `path`: the log's Windows path there.
    PlayLog(FileSystem& files, std::string path) : mFile(files, std::move(path)) {}

    const std::string& path() const { return mFile.path(); }

    // Reads the file now and parses it on a thread of its own: a log of many megabytes takes a
    // good part of a second, which the first look at a project would otherwise wait.
    void readAhead();

    // The last start of the project folder (trailing backslash or not), or nothing.
    std::optional<std::time_t> lastStarted(const std::string& folder);
    // Records a start and writes the file; a file that could not be read is left as it is.
    void recordStart(const std::string& folder, std::time_t when);

    struct Plays {
        std::uint64_t seconds = 0;
        std::uint32_t count = 0;
        std::time_t lastEnded = 0;
    };
    // How long and how often the project was played; nothing before its first play ended.
    std::optional<Plays> plays(const std::string& folder);
    // Adds the time from `started` to `ended` to the project's and writes the file; `newPlay`
    // false for the rest of a play counted already.
    void recordPlay(const std::string& folder, std::time_t started, std::time_t ended,
                    bool newPlay = true);
    // Told after each start recorded (nothing: no one).
    void setRecorded(std::function<void()> recorded) { mRecorded = std::move(recorded); }

    struct Entry {
        std::time_t when = 0;
        std::string folder;
        Plays plays = {};
    };
    // The file's lines that read as entries, one per folder (its latest), newest first; damaged
    // lines are skipped.
    static std::vector<Entry> parse(std::string_view bytes);
    // The entries in the file's form.
    static std::string format(const std::vector<Entry>& newestFirst);

private:
    void load();
    void write();
    std::vector<Entry>::iterator find(const std::string& folder);

    SideFile mFile;
    bool mLoaded = false;
    std::future<std::vector<Entry>> mParsing;
    std::vector<Entry> mEntries; // newest first
    std::function<void()> mRecorded;
};

} // namespace tavrin
