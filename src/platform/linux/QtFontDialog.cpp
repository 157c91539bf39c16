#include "platform/linux/QtFontDialog.h"

#include "platform/linux/QtText.h"

#include <QFontDialog>

namespace tavrin {

std::optional<FontChoice> runFontDialog(QWidget* owner, const FontChoice& initial) {
    QFont font(qs(initial.name));
    font.setPointSize(initial.size > 0 ? initial.size : 9);
    font.setBold(initial.bold);
    font.setItalic(initial.italic);
    font.setUnderline(initial.underline);
    font.setStrikeOut(initial.strikeOut);
    QFontDialog dialog(font, owner);
    dialog.setOption(QFontDialog::ScalableFonts);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QFont chosen = dialog.selectedFont();
    FontChoice out = initial;
    out.name = toCp932(chosen.family());
    out.size = chosen.pointSize();
    out.bold = chosen.bold();
    out.italic = chosen.italic();
    out.underline = chosen.underline();
    out.strikeOut = chosen.strikeOut();
    return out;
}

} // namespace tavrin
