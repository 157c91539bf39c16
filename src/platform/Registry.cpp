#include "platform/Registry.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"

namespace tavrin {

// NOLINTNEXTLINE(performance-unnecessary-value-param): by value for the registries that keep it
void Registry::later(const std::string& /*key*/, std::function<Then(Registry&)> work) {
    if (const Then then = work(*this)) {
        then();
    }
}

std::string readRegistryString(Registry& registry, const std::string& key,
                               const std::string& valueName) {
    std::string value;
    switch (registry.readString(key, valueName, value)) {
    case Registry::Read::ok:
        return value;
    case Registry::Read::absent:
        return {};
    case Registry::Read::notString:
        break;
    }
    throw AppError(formatMessage(sj("'%s' のデータ型が不正です"), valueName));
}

} // namespace tavrin
