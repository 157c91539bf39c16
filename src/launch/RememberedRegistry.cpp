#include "launch/RememberedRegistry.h"

namespace tavrin {

Registry::Read RememberedRegistry::readString(const std::string& key, const std::string& valueName,
                                              std::string& out) {
    const auto now = std::chrono::steady_clock::now();
    Kept& kept = mKept[{key, valueName}];
    if (!kept.read || now - kept.at > mKeptFor) {
        kept.read = mRegistry.readString(key, valueName, kept.value);
        kept.at = now;
    }
    out = kept.value;
    return *kept.read;
}

} // namespace tavrin
