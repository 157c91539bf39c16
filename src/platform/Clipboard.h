#pragma once

#include <optional>
#include <string>

namespace tavrin {

// The system clipboard with the program's private item format "Tavrin ItemData".
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool hasItemData() = 0;
    // Replaces the clipboard's content by the private data and the same items as plain text
    // (CP932, one path per line).
    virtual void setItemData(const std::string& itemData, const std::string& plainText) = 0;
    virtual std::optional<std::string> itemData() = 0;
};

} // namespace tavrin
