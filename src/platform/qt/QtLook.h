#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include <cstdint>

namespace tavrin {

struct FontChoice;

// The user-interface edge of the program's colours and fonts.

// A colour 0x00BBGGRR as Qt's; a system colour (0x80000000 + n) as what the palette shows for n,
// or the `fallback` role for one the palette has no role for.
QColor toQColor(std::uint32_t colour, const QPalette& palette, QPalette::ColorRole fallback);

// A chosen font over `base`: its face with the designed Japanese face behind it, its style and
// effects, at `pixels` when above 0, else at its size in points.
QFont toQFont(const FontChoice& chosen, QFont base, int pixels = 0);

// The face, size in points at `dpi` and effects of a shown font; the colour is not the font's
// and stays 0.
FontChoice fromQFont(const QFont& font, int dpi);

} // namespace tavrin
