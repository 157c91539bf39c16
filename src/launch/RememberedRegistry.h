#pragma once

#include "platform/Registry.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace tavrin {

// Reads the registry as the runtime would, remembering each answer for `kept`: every row of the
// list asks the same question, and under a running wineserver each asking starts Wine. Only
// reads; used on one thread.
class RememberedRegistry : public Registry {
public:
    RememberedRegistry(Registry& registry, std::chrono::steady_clock::duration kept)
        : mRegistry(registry), mKeptFor(kept) {}

    Read readString(const std::string& key, const std::string& valueName,
                    std::string& out) override;
    bool writeString(const std::string&, const std::string&, const std::string&) override {
        return false;
    }

private:
    struct Kept {
        std::optional<Read> read;
        std::string value;
        std::chrono::steady_clock::time_point at;
    };
    Registry& mRegistry;
    std::chrono::steady_clock::duration mKeptFor;
    std::map<std::pair<std::string, std::string>, Kept> mKept;
};

} // namespace tavrin
