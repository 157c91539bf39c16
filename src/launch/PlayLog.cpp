#include "launch/PlayLog.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace tavrin {

namespace {

constexpr std::size_t kTimeLength = 20; // "2026-12-08T18:29:29Z"

std::optional<std::time_t> parseTime(std::string_view text) {
    if (text.size() != kTimeLength || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z') {
        return std::nullopt;
    }
    const auto number = [&](std::size_t at, std::size_t digits) {
        int n = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return -1;
            }
            n = n * 10 + (text[i] - '0');
        }
        return n;
    };
    std::tm t{};
    t.tm_year = number(0, 4) - 1900;
    t.tm_mon = number(5, 2) - 1;
    t.tm_mday = number(8, 2);
    t.tm_hour = number(11, 2);
    t.tm_min = number(14, 2);
    t.tm_sec = number(17, 2);
    if (t.tm_year < 0 || t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_mday > 31 ||
        t.tm_hour < 0 || t.tm_hour > 23 || t.tm_min < 0 || t.tm_min > 59 || t.tm_sec < 0 ||
        t.tm_sec > 60) {
        return std::nullopt;
    }
    return ::timegm(&t);
}

std::string formatTime(std::time_t when) {
    std::tm t{};
    std::array<char, 32> text{};
    if (!::gmtime_r(&when, &t) ||
        std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%SZ", &t) != kTimeLength) {
        return {};
    }
    return text.data();
}

// The name as pathtext::sameName compares it: ASCII letters in one case, trail bytes kept.
std::string foldedName(std::string_view name) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (cp932::isLeadByte(c)) {
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

constexpr std::string_view kPlayedTag = "played";
// A hundred years of play; a larger number is damage.
constexpr std::uint64_t kMostSeconds = std::uint64_t{100} * 366 * 86400;
constexpr std::uint64_t kMostPlays = 1000000000;

std::optional<std::uint64_t> parseCount(std::string_view text, std::uint64_t most) {
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    std::uint64_t n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n <= most ? std::optional<std::uint64_t>(n) : std::nullopt;
}

bool holdsControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// "played", seconds, plays, last end, folder: the fields after the tag, or nothing.
std::optional<std::pair<std::string, PlayLog::Plays>> parsePlayed(std::string_view line) {
    std::array<std::string_view, 5> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t tab = i + 1 < fields.size() ? line.find('\t') : std::string_view::npos;
        fields[i] = line.substr(0, tab);
        if (tab == std::string_view::npos && i + 1 < fields.size()) {
            return std::nullopt;
        }
        line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
    }
    const std::optional<std::uint64_t> seconds = parseCount(fields[1], kMostSeconds);
    const std::optional<std::uint64_t> count = parseCount(fields[2], kMostPlays);
    const std::optional<std::time_t> ended = parseTime(fields[3]);
    if (fields[0] != kPlayedTag || !seconds || !count || *count == 0 || !ended ||
        fields[4].empty() || holdsControl(fields[4])) {
        return std::nullopt;
    }
    return std::pair{std::string(fields[4]),
                     PlayLog::Plays{*seconds, static_cast<std::uint32_t>(*count), *ended}};
}

} // namespace

std::vector<PlayLog::Entry> PlayLog::parse(std::string_view bytes) {
    std::vector<Entry> entries;
    std::vector<std::pair<std::string, Plays>> played;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab + 1 == line.size()) {
            continue;
        }
        if (line.substr(0, tab) == kPlayedTag) {
            if (auto p = parsePlayed(line)) {
                played.push_back(std::move(*p));
            }
            continue;
        }
        const std::optional<std::time_t> when = parseTime(line.substr(0, tab));
        // No Windows path holds a control character; such a line is damaged.
        const std::string_view folder = line.substr(tab + 1);
        if (!when || holdsControl(folder)) {
            continue;
        }
        entries.push_back({*when, pathtext::withTrailingBackslash(folder)});
    }
    // The latest start of each folder, newest first; among equal times the earlier line wins.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.when > b.when; });
    std::vector<Entry> kept;
    std::unordered_set<std::string> seen;
    for (Entry& e : entries) {
        if (seen.insert(foldedName(e.folder)).second) {
            kept.push_back(std::move(e));
        }
    }
    // A play belongs to a start; of two for one folder the later line wins.
    std::unordered_map<std::string, std::size_t> at;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        at.emplace(foldedName(kept[i].folder), i);
    }
    for (const auto& [folder, plays] : played) {
        const auto it = at.find(foldedName(pathtext::withTrailingBackslash(folder)));
        if (it != at.end()) {
            kept[it->second].plays = plays;
        }
    }
    return kept;
}

std::string PlayLog::format(const std::vector<Entry>& newestFirst) {
    std::string out;
    for (const Entry& e : newestFirst) {
        const std::string when = formatTime(e.when);
        if (when.empty()) {
            continue;
        }
        out += when + "\t" + e.folder + "\r\n";
        const std::string ended = formatTime(e.plays.lastEnded);
        if (e.plays.count > 0 && !ended.empty()) {
            out += std::string(kPlayedTag) + "\t" + std::to_string(e.plays.seconds) + "\t" +
                   std::to_string(e.plays.count) + "\t" + ended + "\t" + e.folder + "\r\n";
        }
    }
    return out;
}

void PlayLog::readAhead() {
    if (mLoaded || mParsing.valid()) {
        return;
    }
    mParsing = std::async(std::launch::async, [bytes = mFile.read()] { return parse(bytes); });
}

void PlayLog::load() {
    if (mLoaded) {
        return;
    }
    mEntries = mParsing.valid() ? mParsing.get() : parse(mFile.read());
    mLoaded = true;
}

std::vector<PlayLog::Entry>::iterator PlayLog::find(const std::string& folder) {
    const std::string wanted = pathtext::withTrailingBackslash(folder);
    return std::find_if(mEntries.begin(), mEntries.end(),
                        [&](const Entry& e) { return pathtext::sameName(e.folder, wanted); });
}

std::optional<std::time_t> PlayLog::lastStarted(const std::string& folder) {
    load();
    const auto it = find(folder);
    return it == mEntries.end() ? std::nullopt : std::optional<std::time_t>(it->when);
}

void PlayLog::recordStart(const std::string& folder, std::time_t when) {
    load();
    const auto it = find(folder);
    Plays plays;
    if (it != mEntries.end()) {
        plays = it->plays;
        mEntries.erase(it);
    }
    mEntries.insert(mEntries.begin(), {when, pathtext::withTrailingBackslash(folder), plays});
    if (mEntries.size() > kMostKept) {
        mEntries.resize(kMostKept);
    }
    write();
}

std::optional<PlayLog::Plays> PlayLog::plays(const std::string& folder) {
    load();
    const auto it = find(folder);
    if (it == mEntries.end() || it->plays.count == 0) {
        return std::nullopt;
    }
    return it->plays;
}

void PlayLog::recordPlay(const std::string& folder, std::time_t started, std::time_t ended,
                         bool newPlay) {
    load();
    auto it = find(folder);
    if (it == mEntries.end()) {
        mEntries.insert(mEntries.begin(), {started, pathtext::withTrailingBackslash(folder), {}});
        it = mEntries.begin();
    }
    Plays& p = it->plays;
    // A clock set back meanwhile counts nothing rather than a negative time.
    const std::uint64_t seconds = ended > started ? static_cast<std::uint64_t>(ended - started) : 0;
    p.seconds = std::min(kMostSeconds, p.seconds + seconds);
    if (newPlay || p.count == 0) {
        p.count = static_cast<std::uint32_t>(std::min<std::uint64_t>(kMostPlays, p.count + 1ULL));
    }
    p.lastEnded = ended;
    write();
}

void PlayLog::write() {
    // A failed write leaves the old file; what was recorded is still remembered in this run.
    mFile.write(format(mEntries));
    if (mRecorded) {
        mRecorded();
    }
}

} // namespace tavrin
