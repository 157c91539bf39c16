#include "launch/PlayLog.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

#include <algorithm>
#include <array>
#include <cstdio>
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

} // namespace

std::vector<PlayLog::Entry> PlayLog::parse(std::string_view bytes) {
    std::vector<Entry> entries;
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
        const std::optional<std::time_t> when = parseTime(line.substr(0, tab));
        // No Windows path holds a control character; such a line is damaged.
        const std::string_view folder = line.substr(tab + 1);
        if (!when || std::any_of(folder.begin(), folder.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
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
    return kept;
}

std::string PlayLog::format(const std::vector<Entry>& newestFirst) {
    std::string out;
    for (const Entry& e : newestFirst) {
        const std::string when = formatTime(e.when);
        if (!when.empty()) {
            out += when + "\t" + e.folder + "\r\n";
        }
    }
    return out;
}

void PlayLog::load() {
    if (mLoaded) {
        return;
    }
    mLoaded = true;
    mEntries = parse(mFile.read());
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
    if (it != mEntries.end()) {
        mEntries.erase(it);
    }
    mEntries.insert(mEntries.begin(), {when, pathtext::withTrailingBackslash(folder)});
    if (mEntries.size() > kMostKept) {
        mEntries.resize(kMostKept);
    }
    // A failed write leaves the old file; the start is still remembered in this run.
    mFile.write(format(mEntries));
    if (mRecorded) {
        mRecorded();
    }
}

} // namespace tavrin
