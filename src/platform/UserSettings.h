#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tavrin {

// A colour 0x00BBGGRR, or 0x80000000 + n for system colour n.
using Colour = std::uint32_t;
constexpr Colour kWindowColour = 0x80000005;
constexpr Colour kWindowTextColour = 0x80000008;
constexpr Colour kButtonFaceColour = 0x8000000F;

struct BasicSettings {
    bool position = false;
    bool tasktray = false;
    bool invisible = false;
    std::int32_t startSize = 0;
    std::int32_t dblClick = 0;
    // Game runtimes under Wine get the GDI renderer in the prefix before they start.
    bool gdiRenderer = true;

    bool operator==(const BasicSettings&) const = default;
};

struct ListSettings {
    bool rowSelect = false;
    bool gridLines = false;
    bool hotTrack = false;
    bool bgColorOn = false;
    Colour bgColor = 0;
    // listFont is the list's own font; its name, colour and size persist with the layout.
    std::array<std::string, 2> listIconPath; // RPG Tsukuru 2000, RPG Tsukuru 95

    bool operator==(const ListSettings&) const = default;
};

struct TrySettings {
    bool useTry = false;
    std::string tryPath;

    bool operator==(const TrySettings&) const = default;
};

struct AplButtonEntry {
    std::string path;
    bool shown = false;

    bool operator==(const AplButtonEntry&) const = default;
};

struct BarSettings {
    bool nmlBarVisible = false;
    bool gazBarVisible = false;
    std::array<std::string, 4> gazToolPath; // actview, ccclip, lukey, mywin
    bool aplBarVisible = false;
    std::array<AplButtonEntry, 8> aplButtons;

    bool operator==(const BarSettings&) const = default;
};

enum MatchKind : std::uint32_t { mk2000 = 2, mk95 = 4 };

struct SearchSettings {
    std::string searchFolder;
    bool insert = false;
    bool dupChk = false;
    std::uint32_t matchKinds = 0;

    bool operator==(const SearchSettings&) const = default;
};

// The user's preferences, held by the main window. Empty until readSettingsFile fills it.
struct UserSettings {
    BasicSettings basic;
    ListSettings list;
    TrySettings trial;
    BarSettings bars;
    SearchSettings search;

    bool operator==(const UserSettings&) const = default;
};

} // namespace tavrin
