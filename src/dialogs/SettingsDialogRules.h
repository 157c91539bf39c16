#pragma once

#include "platform/UserSettings.h"

#include <array>
#include <cstdint>
#include <string>

namespace tavrin {

// The three scroll bar positions of a colour 0x00BBGGRR; the top byte is not shown.
struct ColourBars {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const ColourBars&) const = default;
};

ColourBars colourBars(Colour colour);
// Each position is kept to 0..255.
Colour composedColour(const ColourBars& bars);

// The item a radio group of `itemCount` items shows for `value`: -1 (none) below 0, the last
// item past the end.
int radioItem(std::int32_t value, int itemCount);

inline constexpr int kStartSizeItems = 2;
inline constexpr int kDblClickItems = 4;

// What the settings dialog's controls hold; the font travels apart.
struct SettingsDialogValues {
    bool position = false;
    int startSize = 0; // item number, -1 for none
    int dblClick = 0;
    bool gdiRenderer = true;
    bool rowSelect = false;
    bool gridLines = false;
    bool hotTrack = false;
    bool bgColorOn = false;
    std::array<std::string, 2> iconPaths;
    Colour colour = 0;
    bool useTry = false;
    std::string tryPath;
};

SettingsDialogValues settingsDialogValues(const UserSettings& record);
// Copies the three groups the dialog edits; the bars and the search group stay as they are.
void applySettingsDialog(const SettingsDialogValues& values, UserSettings& record);

// The folder holding a picked file, with its trailing backslash.
std::string trialFolder(const std::string& pickedFile);

// The file-open filters, CP932.
std::string iconFileFilter();
std::string trialFileFilter();

} // namespace tavrin
