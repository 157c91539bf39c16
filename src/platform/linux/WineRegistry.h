#pragma once

#include "platform/Registry.h"

#include <chrono>
#include <string>

namespace tavrin {

// HKEY_CURRENT_USER of a Wine prefix: its user.reg. A running wineserver keeps the registry in
// memory and saves over the file, so then values are written through Wine itself.
class WineRegistry : public Registry {
public:
    // `prefix`: the prefix's host folder.
    explicit WineRegistry(std::string prefix,
                          std::chrono::milliseconds wineTimeout = std::chrono::seconds(20));

    // True while a wineserver serves the prefix; asks without starting one.
    static bool serverRuns(const std::string& prefix);

    Read readString(const std::string& key, const std::string& valueName,
                    std::string& out) override;
    bool writeString(const std::string& key, const std::string& valueName,
                     const std::string& data) override;

private:
    bool writeThroughWine(const std::string& key, const std::string& valueName,
                          const std::string& data) const;

    std::string mPrefix;
    std::chrono::milliseconds mWineTimeout;
};

} // namespace tavrin
