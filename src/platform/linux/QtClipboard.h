#pragma once

#include "platform/Clipboard.h"

namespace tavrin {

// QClipboard; on X11 the format name becomes an atom of the same name, as Wine shows a
// Windows program's registered format.
class QtClipboard : public Clipboard {
public:
    static const char* const kItemFormat;

    bool hasItemData() override;
    void setItemData(const std::string& itemData, const std::string& plainText) override;
    std::optional<std::string> itemData() override;
};

} // namespace tavrin
