#include "launch/CodePageChoices.h"

#include "platform/AppError.h"
#include "platform/CodePages.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace tavrin {

namespace {

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

std::optional<int> candidate(std::string_view digits) {
    // No candidate has more than four digits; a longer run would only overflow.
    if (digits.empty() || digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int n = 0;
    for (char c : digits) {
        n = n * 10 + (c - '0');
    }
    if (std::find(codepage::kCandidates.begin(), codepage::kCandidates.end(), n) ==
        codepage::kCandidates.end()) {
        return std::nullopt;
    }
    return n;
}

} // namespace

CodePageChoices::CodePageChoices(FileSystem& files, std::string path)
    : mFile(files, std::move(path)) {}

std::map<std::string, int> CodePageChoices::parse(std::string_view bytes) {
    std::map<std::string, int> choices;
    // One choice per folder whatever its letter case; a later line wins.
    std::unordered_map<std::string, std::string> byFolded;
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
        const std::optional<int> codePage = candidate(line.substr(0, tab));
        // No Windows path holds a control character; such a line is damaged.
        const std::string_view folder = line.substr(tab + 1);
        if (!codePage || std::any_of(folder.begin(), folder.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
            continue;
        }
        std::string key = pathtext::withTrailingBackslash(folder);
        std::string& known = byFolded[foldedName(key)];
        if (!known.empty()) {
            choices.erase(known);
        }
        known = key;
        choices[std::move(key)] = *codePage;
    }
    return choices;
}

std::string CodePageChoices::format(const std::map<std::string, int>& choices) {
    std::string out;
    for (const auto& [folder, codePage] : choices) {
        out += std::to_string(codePage) + "\t" + folder + "\r\n";
    }
    return out;
}

void CodePageChoices::load() {
    if (mLoaded) {
        return;
    }
    mLoaded = true;
    mChoices = parse(mFile.read());
}

std::optional<int> CodePageChoices::chosen(const std::string& folder) {
    load();
    const std::string wanted = pathtext::withTrailingBackslash(folder);
    if (const auto exact = mChoices.find(wanted); exact != mChoices.end()) {
        return exact->second;
    }
    for (const auto& [known, codePage] : mChoices) {
        if (pathtext::sameName(known, wanted)) {
            return codePage;
        }
    }
    return std::nullopt;
}

void CodePageChoices::choose(const std::string& folder, std::optional<int> codePage) {
    load();
    const std::string wanted = pathtext::withTrailingBackslash(folder);
    // Only what parse reads back is kept.
    if ((codePage && !candidate(std::to_string(*codePage))) || chosen(wanted) == codePage) {
        return;
    }
    std::erase_if(mChoices,
                  [&](const auto& kept) { return pathtext::sameName(kept.first, wanted); });
    if (codePage) {
        mChoices[wanted] = *codePage;
    }
    // A failed write leaves the old file; the choice still holds in this run.
    mFile.write(format(mChoices));
}

} // namespace tavrin
