#include "platform/qt/QtLook.h"

#include "platform/Dialogs.h"
#include "platform/MulDiv.h"
#include "platform/qt/QtText.h"

#include <cmath>

namespace tavrin {

QColor toQColor(std::uint32_t colour, const QPalette& palette, QPalette::ColorRole fallback) {
    if (colour & 0x80000000u) {
        switch (colour & 0xFF) {
        case 5:
            return palette.color(QPalette::Base);
        case 8:
            return palette.color(QPalette::Text);
        case 15:
            return palette.color(QPalette::Button);
        case 13:
            return palette.color(QPalette::Highlight);
        case 14:
            return palette.color(QPalette::HighlightedText);
        case 18:
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(fallback);
        }
    }
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QFont toQFont(const FontChoice& chosen, QFont base, int pixels) {
    base.setFamilies({qs(chosen.name), QStringLiteral("Noto Sans CJK JP")});
    if (pixels > 0) {
        base.setPixelSize(pixels);
    } else {
        base.setPointSize(chosen.size > 0 ? chosen.size : 9);
    }
    base.setBold(chosen.bold);
    base.setItalic(chosen.italic);
    base.setUnderline(chosen.underline);
    base.setStrikeOut(chosen.strikeOut);
    return base;
}

FontChoice fromQFont(const QFont& font, int dpi) {
    const int pixels = font.pixelSize() > 0
                           ? font.pixelSize()
                           : static_cast<int>(std::lround(font.pointSizeF() * dpi / 72));
    FontChoice out;
    out.name = toCp932(font.families().value(0, font.family()));
    out.size = mulDiv(pixels, 72, dpi);
    out.bold = font.bold();
    out.italic = font.italic();
    out.underline = font.underline();
    out.strikeOut = font.strikeOut();
    return out;
}

} // namespace tavrin
