#include "platform/linux/WineRegistry.h"

namespace tavrin {

WineRegistry::WineRegistry() = default;

Registry::Read WineRegistry::readString(const std::string&, const std::string&, std::string&) {
    return Read::absent;
}

bool WineRegistry::writeString(const std::string&, const std::string&, const std::string&) {
    return false;
}

} // namespace tavrin
