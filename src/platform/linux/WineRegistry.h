#pragma once

#include "platform/Registry.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

// HKEY_CURRENT_USER of a Wine prefix: its user.reg. A running wineserver keeps the registry in
// memory and saves over the file only now and then, so while one runs values are read and
// written through Wine itself.
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
    // What the server holds; nothing when Wine does not answer.
    std::optional<Read> readThroughWine(const std::string& key, const std::string& valueName,
                                        std::string& out) const;
    bool writeThroughWine(const std::string& key, const std::string& valueName,
                          const std::string& data) const;
    // Runs Wine's `args` in the prefix, its output discarded: the exit status; nothing when it
    // does not start or runs past the time limit (then it is stopped with all it started).
    std::optional<int> runWine(std::vector<std::string> args) const;

    std::string mPrefix;
    std::chrono::milliseconds mWineTimeout;
};

} // namespace tavrin
