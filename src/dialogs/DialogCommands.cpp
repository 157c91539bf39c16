#include "dialogs/DialogCommands.h"

#include "catalogue/ListAppearance.h"
#include "dialogs/F_customize.h"
#include "dialogs/F_setting.h"
#include "dialogs/F_version.h"

#include <QApplication>

namespace tavrin {

bool editSettings(QWidget* owner, Services services, const std::string& helpFile,
                  SettingsRecord& settings, ListAppearance& appearance) {
    appearance.readInto(settings.list);
    FontChoice font = appearance.font();
    TSettingForm form(services, helpFile, owner);
    if (!form.EditSettings(settings, font)) {
        return false;
    }
    appearance.setFont(font);
    appearance.apply(settings.list);
    appearance.loadIcons(settings.list.listIconPath);
    return true;
}

bool editBars(QWidget* owner, Services services, const std::string& helpFile, BarSettings& bars) {
    TCustomizeForm form(services, helpFile, owner);
    return form.EditBarSettings(bars);
}

void showAbout(QWidget* owner, Shell& shell, const QString& hostFolder) {
    QApplication::beep();
    TVersionForm box(shell, hostFolder, owner);
    box.exec();
}

} // namespace tavrin
