#include "catalogue/ItemClipboard.h"

#include "catalogue/CatalogueFile.h"
#include "platform/TextLines.h"

namespace tavrin {

std::string itemDataOf(const std::vector<ProjectItem>& items) {
    std::string out;
    for (const auto& item : items) {
        out += item.path;
        out += '\x1C';
        out += item.title;
        out += '\n';
    }
    out += '\0';
    return out;
}

std::string plainTextOf(const std::vector<ProjectItem>& items) {
    std::string out;
    for (const auto& item : items) {
        out += item.path;
        out += "\r\n";
    }
    return out;
}

std::vector<PastedItem> parseItemData(std::string_view data) {
    std::vector<PastedItem> out;
    for (const std::string_view line : splitLines(data.substr(0, data.find('\0')))) {
        const std::size_t sep = line.rfind('\x1C');
        // Another program's data may hold the catalogue file's separators.
        if (sep == std::string_view::npos) {
            out.push_back({std::string(), storableText(line)});
        } else {
            out.push_back({storableText(line.substr(0, sep)), storableText(line.substr(sep + 1))});
        }
    }
    return out;
}

} // namespace tavrin
