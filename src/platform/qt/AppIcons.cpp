#include "platform/qt/AppIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <functional>

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
    // Drawn at every size a desktop asks for, so no picture is a blurred enlargement.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
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

namespace {

QPixmap bar() {
    QPixmap pm(18, 16);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap drawn(const std::function<void(QPainter&)>& draw) {
    QPixmap pm = bar();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    draw(p);
    return pm;
}

void folderShape(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(2.5, 4.5, 13, 9));
    p.drawRect(QRectF(2.5, 3.5, 5, 2));
}

void playShape(QPainter& p, const QColor& colour) {
    QPolygonF tri;
    tri << QPointF(5, 2.5) << QPointF(15, 8) << QPointF(5, 13.5);
    p.setPen(QPen(colour.darker(150), 1));
    p.setBrush(colour);
    p.drawPolygon(tri);
}

} // namespace

std::array<QIcon, 10> nmlBarImages() {
    std::array<QIcon, 10> images;
    images[0] = QIcon(drawn([](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.drawLine(QPointF(5, 2), QPointF(12, 10));
        p.drawLine(QPointF(13, 2), QPointF(6, 10));
        p.drawEllipse(QPointF(5, 12), 2.2, 2.2);
        p.drawEllipse(QPointF(13, 12), 2.2, 2.2);
    }));
    images[1] = QIcon(drawn([](QPainter& p) {
        p.setPen(QPen(QColor(70, 70, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 8, 10));
        p.drawRect(QRectF(7.5, 4.5, 8, 10));
    }));
    images[2] = QIcon(drawn([](QPainter& p) {
        p.setPen(QPen(QColor(110, 80, 40), 1));
        p.setBrush(QColor(200, 160, 100));
        p.drawRect(QRectF(2.5, 2.5, 10, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7.5, 6.5, 8, 8));
    }));
    images[3] = QIcon(drawn([](QPainter& p) {
        p.setPen(QPen(QColor(40, 70, 140), 2));
        p.setBrush(QColor(200, 225, 255));
        p.drawEllipse(QPointF(7.5, 6.5), 4.5, 4.5);
        p.setPen(QPen(QColor(90, 60, 30), 2.5));
        p.drawLine(QPointF(11, 10), QPointF(15.5, 14.5));
    }));
    images[4] = QIcon(drawn([](QPainter& p) {
        p.setPen(QPen(QColor(80, 80, 80), 3));
        p.drawEllipse(QPointF(9, 8), 4, 4);
        p.setPen(QPen(QColor(80, 80, 80), 2));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(9, 8);
            p.rotate(45.0 * i);
            p.drawLine(QPointF(0, 5), QPointF(0, 7));
            p.restore();
        }
    }));
    images[5] = QIcon(drawn([](QPainter& p) { playShape(p, QColor(50, 170, 70)); }));
    images[6] = QIcon(drawn([](QPainter& p) {
        p.setPen(QPen(QColor(70, 70, 110), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 10, 13));
        p.setPen(QPen(QColor(200, 120, 30), 2.5));
        p.drawLine(QPointF(7, 12), QPointF(15, 4));
    }));
    images[7] = QIcon(drawn([](QPainter& p) {
        p.setPen(QPen(QColor(200, 40, 40), 2.5));
        p.drawLine(QPointF(4, 3), QPointF(14, 13));
        p.drawLine(QPointF(14, 3), QPointF(4, 13));
    }));
    images[8] = QIcon(drawn([](QPainter& p) { folderShape(p); }));
    images[9] = QIcon(drawn([](QPainter& p) {
        playShape(p, QColor(70, 130, 220));
        p.setPen(QPen(QColor(200, 40, 40), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(13.5, 12.5), 2.5, 2.5);
    }));
    return images;
}

} // namespace tavrin::appicons
