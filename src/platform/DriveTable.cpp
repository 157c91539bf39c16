#include "platform/DriveTable.h"

#include "platform/Cp932.h"

#include <algorithm>

namespace tavrin {

namespace {

// The components of an absolute host path; repeated "/" and "." add nothing.
std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        path.remove_prefix(slash + 1);
    }
    return parts;
}

} // namespace

DriveTable::DriveTable(std::vector<Drive> drives) : mDrives(std::move(drives)) {
    for (Drive& d : mDrives) {
        if (d.letter >= 'a' && d.letter <= 'z') {
            d.letter = static_cast<char>(d.letter - 'a' + 'A');
        }
        while (d.hostFolder.size() > 1 && d.hostFolder.back() == '/') {
            d.hostFolder.pop_back();
        }
    }
    // Wine settles a tie between drives on one folder for the earliest letter.
    std::stable_sort(mDrives.begin(), mDrives.end(),
                     [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
}

DriveTable DriveTable::rootOnly() {
    return DriveTable({Drive{'Z', "/"}});
}

std::optional<std::string> DriveTable::toWindows(std::string_view hostPath) const {
    if (hostPath.empty() || hostPath.front() != '/') {
        return std::nullopt;
    }
    const std::vector<std::string_view> parts = components(hostPath);

    const Drive* best = nullptr;
    std::size_t bestDepth = 0;
    for (const Drive& d : mDrives) {
        const std::vector<std::string_view> root = components(d.hostFolder);
        if (root.size() > parts.size() || (best && root.size() <= bestDepth)) {
            continue;
        }
        if (std::equal(root.begin(), root.end(), parts.begin())) {
            best = &d;
            bestDepth = root.size();
        }
    }
    if (!best) {
        return std::nullopt;
    }

    std::string out{best->letter, ':', '\\'};
    for (std::size_t i = bestDepth; i < parts.size(); ++i) {
        if (i > bestDepth) {
            out += '\\';
        }
        out += cp932::fromHostName(parts[i]);
    }
    if (parts.size() > bestDepth && hostPath.back() == '/') {
        out += '\\';
    }
    return out;
}

} // namespace tavrin
