#pragma once

namespace tavrin {

// Whether the X display can switch to a mode of this size, as Wine switches for a full-screen
// program: false on a display without such a mode (Xvfb, some remote desktops) or without
// RandR. True where it cannot be told (no X display): nothing is refused on a guess.
bool displayCanSwitchTo(int width, int height);

} // namespace tavrin
