#pragma once

#include <functional>

namespace tavrin {

class Dialogs;

// Runs a command, a start-up or a shutdown step. A failure is shown in the standard error box
// (caption "Tavrin", error icon, OK) and never crosses the event loop. False when it failed.
bool runGuarded(Dialogs& dialogs, const std::function<void()>& step);

} // namespace tavrin
