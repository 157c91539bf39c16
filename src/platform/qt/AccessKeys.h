#pragma once

#include <QObject>

namespace tavrin {

// Windows clicks a button the moment its access key (the underlined letter) is pressed; Qt
// holds the button down for a tenth of a second first, a wait that every keyboard user of every
// dialog would sit through. Installed on the application, this clicks at once. A key two
// buttons share is left to Qt, which moves the focus between them.
class ImmediateAccessKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tavrin
