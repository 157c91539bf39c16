#pragma once

#include "platform/Registry.h"

namespace tavrin {

// HKEY_CURRENT_USER of the Wine prefix: its user.reg.
class WineRegistry : public Registry {
public:
    WineRegistry();

    Read readString(const std::string& key, const std::string& valueName,
                    std::string& out) override;
    bool writeString(const std::string& key, const std::string& valueName,
                     const std::string& data) override;
};

} // namespace tavrin
