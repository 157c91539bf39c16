#pragma once

#include "launch/AppBars.h"

#include <QObject>

#include <array>

class QAction;
class QToolBar;

namespace tavrin {

class ControlBar;
class Icons;
class FileSystem;
class UserBar;

// The main window's three bars in their container: the standard bar of the window's own
// actions, the application bar and the Gaz soft bar, with the View menu's toggles.
class MainBars : public QObject {
    Q_OBJECT
public:
    // standardButtons: the standard bar's actions in order; toggles: the View menu's entries
    // for the standard, application and Gaz soft bars.
    MainBars(ControlBar* container, const std::array<QAction*, 6>& standardButtons,
             const std::array<QAction*, 3>& toggles);

    // Pictures, hints and visibility as the settings say.
    void apply(const BarSettings& bars, FileSystem& fs, Icons& icons);
    // Which bars show now, the View menu's toggles included.
    void readVisibility(BarSettings& bars) const;
    // A toggle of the View menu; a bar without shown buttons stays hidden.
    void toggle(QAction* entry);

signals:
    // Buttons in bar order, from 0.
    void aplClicked(int index);
    void gazClicked(int index);

private:
    QToolBar* barOf(const QAction* entry) const;

    std::array<QAction*, 3> mToggles;
    QToolBar* mNml;
    UserBar* mApl;
    UserBar* mGaz;
};

} // namespace tavrin
