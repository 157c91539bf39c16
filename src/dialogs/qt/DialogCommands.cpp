#include "dialogs/qt/DialogCommands.h"

#include "catalogue/qt/ListAppearance.h"
#include "dialogs/qt/AboutDialog.h"
#include "dialogs/qt/CustomizeDialog.h"
#include "dialogs/qt/SettingsDialog.h"

#include <QApplication>

namespace tavrin {

bool editSettings(QWidget* owner, Services services, const std::string& helpFile,
                  UserSettings& settings, ListAppearance& appearance) {
    appearance.readInto(settings.list);
    FontChoice font = appearance.font();
    SettingsDialog form(services, helpFile, owner);
    if (!form.editSettings(settings, font)) {
        return false;
    }
    appearance.setFont(font);
    appearance.apply(settings.list);
    appearance.loadIcons(settings.list.listIconPath);
    return true;
}

bool editBars(QWidget* owner, Services services, const std::string& helpFile, BarSettings& bars) {
    CustomizeDialog form(services, helpFile, owner);
    return form.editBars(bars);
}

void showAbout(QWidget* owner, Shell& shell, const QString& hostFolder) {
    QApplication::beep();
    AboutDialog box(shell, hostFolder, owner);
    box.exec();
}

} // namespace tavrin
