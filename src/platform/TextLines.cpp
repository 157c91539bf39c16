#include "platform/TextLines.h"

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

} // namespace tavrin
