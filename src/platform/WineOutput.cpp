#include "platform/WineOutput.h"

#include "platform/Cp932.h"

#include <vector>

namespace tavrin {

namespace {

constexpr std::size_t kLinesShown = 8;
constexpr std::size_t kLineBytes = 200;

// Wine's own debug lines start with a thread id and a class ("0024:fixme:ddraw:...").
bool isFixme(std::string_view line) {
    const std::size_t colon = line.find(':');
    return colon != std::string_view::npos && colon <= 8 &&
           line.substr(colon + 1).starts_with("fixme:");
}

} // namespace

std::string lastOutputLines(std::string_view output) {
    std::vector<std::string> lines;
    while (!output.empty()) {
        const std::size_t end = output.find('\n');
        std::string_view line = output.substr(0, end);
        output.remove_prefix(end == std::string_view::npos ? output.size() : end + 1);
        std::string clean;
        for (char c : line) {
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
                clean += c;
            }
        }
        if (clean.empty() || isFixme(clean)) {
            continue;
        }
        if (clean.size() > kLineBytes) {
            // Cut on a UTF-8 character's start.
            std::size_t at = kLineBytes;
            while (at > 0 && (static_cast<unsigned char>(clean[at]) & 0xC0) == 0x80) {
                --at;
            }
            clean = clean.substr(0, at) + "\xE2\x80\xA6";
        }
        lines.push_back(std::move(clean));
    }
    std::string shown;
    const std::size_t first = lines.size() > kLinesShown ? lines.size() - kLinesShown : 0;
    for (std::size_t i = first; i < lines.size(); ++i) {
        shown += (shown.empty() ? "" : "\n") + lines[i];
    }
    return cp932::fromUtf8(shown);
}

} // namespace tavrin
