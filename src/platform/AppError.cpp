#include "platform/AppError.h"

#include "platform/Cp932.h"

namespace tavrin {

std::string errorBoxText(const std::string& cp932Message) {
    const std::size_t last = cp932::lastCharStart(cp932Message);
    if (last == std::string::npos || static_cast<unsigned char>(cp932Message[last]) <= '.') {
        return cp932Message;
    }
    return cp932Message + '.';
}

std::string formatMessage(const std::string& cp932Pattern, const std::string& arg) {
    std::string out;
    out.reserve(cp932Pattern.size() + arg.size());
    std::size_t from = 0;
    for (std::size_t at; (at = cp932Pattern.find("%s", from)) != std::string::npos; from = at + 2) {
        out.append(cp932Pattern, from, at - from);
        out += arg;
    }
    out.append(cp932Pattern, from);
    return out;
}

} // namespace tavrin
