#pragma once

#include "launch/AppBars.h"

#include <QToolBar>

#include <vector>

class QToolButton;

namespace tavrin {

// A bar of fixed buttons (25 x 23, a 16 x 16 picture each) that the user's settings show or
// hide: the application bar and the Gaz soft bar. It is exactly as wide as its shown buttons.
class UserBar : public QToolBar {
    Q_OBJECT
public:
    // One button per name, in order; captions are the buttons' texts (not drawn).
    UserBar(const QString& title, const QString& name, const QStringList& buttonNames,
            const QStringList& captions, QWidget* parent = nullptr);

    QToolButton* button(std::size_t index) const { return mButtons.at(index); }
    std::size_t count() const { return mButtons.size(); }
    // Pictures, hints and visibility from the plan, one entry per button.
    void setButtons(const BarButtonPlan* plans, std::size_t count);
    // 25 per shown button; 0 for a bar without one.
    int buttonsWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void buttonClicked(int index);

private:
    std::vector<QToolButton*> mButtons;
    std::vector<QAction*> mActions; // the buttons' places on the bar
};

// The picture in an image file's bytes; empty when they hold none.
QPixmap smallPicture(const std::string& imageBytes);

} // namespace tavrin
