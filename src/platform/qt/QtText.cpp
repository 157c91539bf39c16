#include "platform/qt/QtText.h"

#include "platform/Cp932.h"

#include <QFont>
#include <QStringList>

namespace tavrin {

QString qs(const std::string& cp932) {
    return QString::fromStdString(cp932::toUtf8(cp932));
}

QString qsShown(const std::string& cp932) {
    // Wider than any screen shows; laying out more costs time on every paint.
    constexpr qsizetype kMaxShown = 1024;
    QString text = qs(cp932);
    if (text.size() > kMaxShown) {
        text.truncate(kMaxShown);
        if (text.back().isHighSurrogate()) {
            text.chop(1);
        }
        text += QChar(0x2026);
    }
    return text;
}

std::string toCp932(const QString& text) {
    return cp932::fromUtf8(text.toStdString());
}

std::string toCp932Path(const QString& text) {
    return cp932::fromUtf8Lossless(text.toStdString());
}

QFont designedFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace tavrin
