#include "search/SearchOptions.h"

namespace tavrin {

namespace {

constexpr std::uint32_t kind2000 = 2;
constexpr std::uint32_t kind95 = 4;

} // namespace

SearchFormValues searchFormValues(const SearchSettings& settings) {
    return {settings.searchFolder, (settings.matchKinds & kind2000) != 0,
            (settings.matchKinds & kind95) != 0, settings.insert, settings.dupChk};
}

int applySearchForm(int dialogResult, const SearchFormValues& values, SearchSettings& settings) {
    if (dialogResult <= 10) {
        return kSearchSettingsCancelled;
    }
    settings.searchFolder = values.startFolder;
    settings.insert = values.insert;
    settings.dupChk = values.duplicate;
    // Rebuilt from the boxes alone: bits the file may have brought in are dropped.
    settings.matchKinds = 0;
    if (values.rpg2000) {
        settings.matchKinds += kind2000;
    }
    if (values.rpg95) {
        settings.matchKinds += kind95;
    }
    return dialogResult == kSearchFormSearch ? kSearchSettingsSearch : kSearchSettingsKept;
}

} // namespace tavrin
