#pragma once

#include "platform/Clipboard.h"

namespace tavrin {

// QClipboard; on X11 the format name becomes an atom of the same name, as Wine shows a
// Windows program's registered format.
class QtClipboard : public Clipboard {
public:
    static const char* const kItemFormat;

    bool hasItemData() override;
    bool setItemData(const std::string& itemData, const std::string& plainText) override;
    Read itemData(std::string& out) override;
};

} // namespace tavrin
