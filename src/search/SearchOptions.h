#pragma once

#include "platform/SettingsRecord.h"

#include <string>
#include <string_view>

namespace tavrin {

// What the search options dialog's controls hold.
struct SearchFormValues {
    std::string startFolder;
    bool rpgt2k = false;
    bool rpgt95 = false;
    bool insert = false;
    bool duplicate = false;
};

// The dialog's own results; anything up to 10 is a cancel.
inline constexpr int searchFormCancel = 2;
inline constexpr int searchFormSave = 11;
inline constexpr int searchFormSearch = 12;

// What EditSearchSettings answers.
inline constexpr int searchSettingsCancelled = 0;
inline constexpr int searchSettingsKept = 1;
inline constexpr int searchSettingsSearch = 2;

SearchFormValues searchFormValues(const SearchSettings& settings);
// Copies the controls back unless the dialog was cancelled; returns 0, 1 or 2 as above.
int applySearchForm(int dialogResult, const SearchFormValues& values, SearchSettings& settings);

} // namespace tavrin
