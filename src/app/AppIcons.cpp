#include "app/AppIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace tavrin::appicons {

namespace {

QPixmap canvas(int size = 16) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

// A small book with a coloured spine and a letter: the look of the program's projects.
QPixmap book(const QColor& cover, const QColor& spine, const QString& mark) {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(cover.darker(160), 1));
    p.setBrush(cover);
    p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(spine);
    p.drawRect(QRectF(3, 2, 2.5, 12));
    if (!mark.isEmpty()) {
        QFont f;
        f.setPixelSize(8);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(5, 2, 9, 12), Qt::AlignCenter, mark);
    }
    return pm;
}

QPixmap themed(const char* name, QStyle::StandardPixmap fallback) {
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
    if (icon.isNull()) {
        icon = QApplication::style()->standardIcon(fallback);
    }
    return icon.pixmap(16, 16);
}

} // namespace

QIcon application() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm = canvas(size);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing, true);
        const qreal s = size / 16.0;
        p.scale(s, s);
        p.setPen(QPen(QColor(40, 60, 120), 1));
        p.setBrush(QColor(70, 110, 200));
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 210, 80));
        QPainterPath star;
        star.moveTo(8, 3.5);
        star.lineTo(9.4, 7);
        star.lineTo(12.8, 7.2);
        star.lineTo(10.2, 9.4);
        star.lineTo(11, 12.6);
        star.lineTo(8, 10.8);
        star.lineTo(5, 12.6);
        star.lineTo(5.8, 9.4);
        star.lineTo(3.2, 7.2);
        star.lineTo(6.6, 7);
        star.closeSubpath();
        p.drawPath(star);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

std::array<QPixmap, 3> treeIcons() {
    return {application().pixmap(16, 16), themed("folder", QStyle::SP_DirClosedIcon),
            themed("folder-open", QStyle::SP_DirOpenIcon)};
}

std::array<QIcon, 3> defaultListIcons() {
    return {QIcon(book(QColor(120, 130, 150), QColor(80, 90, 110), QString())),
            QIcon(book(QColor(200, 60, 50), QColor(140, 30, 25), QStringLiteral("2"))),
            QIcon(book(QColor(40, 140, 80), QColor(20, 90, 50), QStringLiteral("9")))};
}

} // namespace tavrin::appicons
