#include "dialogs/qt/FontSample.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace tavrin {

namespace {
constexpr int kPadding = 3;
}

QRect FontSample::textRect() const {
    return contentsRect().adjusted(kPadding, 0, -kPadding, 0);
}

QFont FontSample::fittedFont() const {
    QFont f = font();
    const qreal room = textRect().height();
    const qreal tall = QFontMetricsF(f).height();
    if (tall > room && room > 0) {
        const qreal points = f.pointSizeF() > 0 ? f.pointSizeF() : QFontInfo(f).pointSizeF();
        f.setPointSizeF(std::max<qreal>(1, points * room / tall));
    }
    return f;
}

QString FontSample::shownText() const {
    return QFontMetrics(fittedFont()).elidedText(text(), Qt::ElideRight, textRect().width());
}

void FontSample::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    painter.setFont(fittedFont());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(textRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     shownText());
}

bool FontSample::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QString shown = shownText();
        if (shown != text()) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QLabel::event(event);
}

} // namespace tavrin
