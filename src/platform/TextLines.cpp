#include "platform/TextLines.h"

#include "platform/Cp932.h"

namespace tavrin {

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t brk = text.find_first_of("\r\n", pos);
        const std::size_t end = brk == std::string_view::npos ? text.size() : brk;
        lines.push_back(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size()) {
            ++pos;
            if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') {
                ++pos;
            }
        }
    }
    return lines;
}

namespace {

// The length of the printable character at the start of `text`, 0 for a byte that is none. A
// lead byte is one only with a trail byte that makes a code CP932 assigns.
std::size_t printableAt(std::string_view text) {
    const auto c = static_cast<unsigned char>(text[0]);
    if ((c >= 0x20 && c < 0x7F) || (c >= 0xA1 && c <= 0xDF)) {
        return 1;
    }
    if (cp932::isLeadByte(c) && text.size() >= 2) {
        return cp932::toUtf8Strict(text.substr(0, 2)) ? 2 : 0;
    }
    return 0;
}

} // namespace

std::string shownName(std::string_view cp932, std::size_t longest) {
    std::string shown;
    while (!cp932.empty()) {
        const std::size_t length = printableAt(cp932);
        if (length == 0) {
            cp932.remove_prefix(1);
            continue;
        }
        if (shown.size() + length > longest) {
            return shown + sj("…");
        }
        shown.append(cp932.substr(0, length));
        cp932.remove_prefix(length);
    }
    return shown;
}

std::string moreNames(std::size_t more) {
    return sj("…ほか ") + std::to_string(more) + sj(" 個");
}

} // namespace tavrin
