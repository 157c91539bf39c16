#pragma once

#include <string>

namespace tavrin {

// The system clipboard with the program's private item format "Tavrin ItemData".
class Clipboard {
public:
    enum class Read { ok, absent, cannotOpen };

    virtual ~Clipboard() = default;
    virtual bool hasItemData() = 0;
    // Replaces the clipboard's content by the private data and the same items as plain text
    // (both CP932). False when the clipboard could not be opened.
    virtual bool setItemData(const std::string& itemData, const std::string& plainText) = 0;
    virtual Read itemData(std::string& out) = 0;
};

} // namespace tavrin
