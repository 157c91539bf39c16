#include "platform/PathText.h"

#include "platform/Cp932.h"

namespace tavrin::pathtext {

namespace {

// Offset of the last single-byte character that is one of `chars`, or npos.
std::size_t lastSingleByteOf(std::string_view path, std::string_view chars) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < path.size();) {
        if (cp932::isLeadByte(static_cast<unsigned char>(path[i]))) {
            i += 2;
            continue;
        }
        if (chars.find(path[i]) != std::string_view::npos) {
            found = i;
        }
        ++i;
    }
    return found;
}

char foldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool hasTrailingBackslash(std::string_view path) {
    return !path.empty() && cp932::lastCharStart(path) == path.size() - 1 && path.back() == '\\';
}

std::string withTrailingBackslash(std::string_view path) {
    if (hasTrailingBackslash(path)) {
        return std::string(path);
    }
    // A lead byte with nothing after it is no character, and kept it would take the backslash as
    // its second byte; the path would still lack its separator.
    if (!path.empty() && cp932::lastCharStart(path) == path.size() - 1 &&
        cp932::isLeadByte(static_cast<unsigned char>(path.back()))) {
        path.remove_suffix(1);
    }
    return std::string(path) + '\\';
}

std::string withoutTrailingBackslash(std::string_view path) {
    if (hasTrailingBackslash(path)) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

std::string folderText(std::string_view path) {
    if (path.size() == 3 && path[1] == ':' && path[2] == '\\') {
        return std::string(path);
    }
    return withoutTrailingBackslash(path);
}

std::string folderPart(std::string_view path) {
    const std::size_t at = lastSingleByteOf(path, "\\:");
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string namePart(std::string_view path) {
    const std::size_t at = lastSingleByteOf(path, "\\:");
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string extension(std::string_view path) {
    const std::string name = namePart(path);
    const std::size_t dot = lastSingleByteOf(name, ".");
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        // A trail byte may look like an ASCII letter; it must match exactly.
        if (cp932::isLeadByte(static_cast<unsigned char>(a[i]))) {
            if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1])) {
                return false;
            }
            ++i;
        } else if (foldAscii(a[i]) != foldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace tavrin::pathtext
