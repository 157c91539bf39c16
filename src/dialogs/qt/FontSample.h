#pragma once

#include <QLabel>

namespace tavrin {

// A font's name drawn in that font. A font too tall for the box is drawn smaller and a name too
// long ends in "…", so the sample never spills out of the dialog's fixed shape; the label's
// own text and font stay what was chosen. A name cut short shows whole in a tip.
class FontSample : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect textRect() const;
    QFont fittedFont() const;
    QString shownText() const;
};

} // namespace tavrin
