#pragma once

#include "platform/Dialogs.h"

#include <optional>

class QWidget;

namespace tavrin {

// The font dialog: name, style, size and the effects colour, underline and strike-out.
std::optional<FontChoice> runFontDialog(QWidget* owner, const FontChoice& initial);

} // namespace tavrin
