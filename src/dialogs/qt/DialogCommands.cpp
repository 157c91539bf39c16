#include "dialogs/qt/DialogCommands.h"

#include "catalogue/qt/ListAppearance.h"
#include "dialogs/qt/AboutDialog.h"
#include "dialogs/qt/CustomizeDialog.h"
#include "dialogs/qt/SettingsDialog.h"

#include <QApplication>

namespace tavrin {

bool editSettings(QWidget* owner, SettingsDialog::Uses uses, const std::string& helpFile,
                  UserSettings& settings, ListAppearance& appearance) {
    appearance.readInto(settings.list);
    FontChoice font = appearance.font();
    SettingsDialog form(uses, helpFile, owner);
    if (!form.editSettings(settings, font)) {
        return false;
    }
    appearance.setFont(font);
    appearance.apply(settings.list);
    appearance.loadIcons(settings.list.listIconPath);
    return true;
}

bool editBars(QWidget* owner, CustomizeDialog::Uses uses, const std::string& helpFile,
              BarSettings& bars) {
    CustomizeDialog form(uses, helpFile, owner);
    return form.editBars(bars);
}

void showAbout(QWidget* owner, Shell& shell, const QString& hostFolder) {
    QApplication::beep();
    AboutDialog box(shell, hostFolder, owner);
    box.exec();
}

} // namespace tavrin
