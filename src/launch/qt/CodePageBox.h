#pragma once

#include <QComboBox>

namespace tavrin {

// A turn of the wheel over the pane scrolls past the box instead of changing a saved choice,
// unless the user went into the box first.
class CodePageBox : public QComboBox {
public:
    explicit CodePageBox(QWidget* parent) : QComboBox(parent) {}

protected:
    void wheelEvent(QWheelEvent* event) override;
};

} // namespace tavrin
