#pragma once

#include "platform/UserSettings.h"

#include <string>
#include <string_view>

namespace tavrin {

// What the search options dialog's controls hold.
struct SearchFormValues {
    std::string startFolder;
    bool rpg2000 = false;
    bool rpg95 = false;
    bool insert = false;
    bool duplicate = false;
};

// The dialog's own results; anything up to 10 is a cancel.
inline constexpr int kSearchFormCancel = 2;
inline constexpr int kSearchFormSave = 11;
inline constexpr int kSearchFormSearch = 12;

// What editSearch answers.
inline constexpr int kSearchSettingsCancelled = 0;
inline constexpr int kSearchSettingsKept = 1;
inline constexpr int kSearchSettingsSearch = 2;

SearchFormValues searchFormValues(const SearchSettings& settings);
// Copies the controls back unless the dialog was cancelled; returns 0, 1 or 2 as above.
int applySearchForm(int dialogResult, const SearchFormValues& values, SearchSettings& settings);

} // namespace tavrin
