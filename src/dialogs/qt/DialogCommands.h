#pragma once

#include "dialogs/qt/CustomizeDialog.h"
#include "dialogs/qt/SettingsDialog.h"

#include <string>

class QString;
class QWidget;

namespace tavrin {

class ListAppearance;
class Shell;
struct BarSettings;
struct UserSettings;

// The commands that open the program's own dialogs over the window `owner`.

// The settings dialog on the record and the list's look; OK applies both. True then.
bool editSettings(QWidget* owner, SettingsDialog::Uses uses, const std::string& helpFile,
                  UserSettings& settings, ListAppearance& appearance);
// The bars' dialog; true when OK changed them.
bool editBars(QWidget* owner, CustomizeDialog::Uses uses, const std::string& helpFile,
              BarSettings& bars);
// The about box; hostFolder is the program's folder as the user's file manager names it.
void showAbout(QWidget* owner, Shell& shell, const QString& hostFolder);

} // namespace tavrin
