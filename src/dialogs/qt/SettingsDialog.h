#pragma once

#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/SettingsRecord.h"

#include "platform/qt/FormDialog.h"

#include <array>
#include <memory>
#include <string>

class QButtonGroup;

namespace Ui {
class TSettingForm;
}

namespace tavrin {

// The settings dialog: basic, list and trial-edition settings, written back only on OK.
class TSettingForm : public FormDialog {
    Q_OBJECT
public:
    TSettingForm(Services services, std::string helpFile, QWidget* parent = nullptr);
    ~TSettingForm() override;

    // True when confirmed: the record's basic, list and trial groups and listFont then hold the
    // controls; otherwise both are untouched.
    bool EditSettings(SettingsRecord& record, FontChoice& listFont);

    void reject() override;

private:
    void FormShow() override;
    void Chk_BgcolorClick();
    void SclBar_Change();
    void Bt_ChangeFontClick();
    void Chk_UseTryClick();
    void Bt_RefClick();
    void Combo_KindOfIconChange();
    void Ed_ListIconPathChange();
    void Bt_IconPathRefClick();
    void Bt_HelpClick();
    void showFont();
    void showIcon(const std::string& path);
    int activeHelpContext() const;

    std::unique_ptr<Ui::TSettingForm> ui;
    QButtonGroup* mStartSize;
    QButtonGroup* mDblClick;
    Services mServices;
    std::string mHelpFile;
    Colour workColor = 0;
    std::array<std::string, 2> workIconPath;
    FontChoice mFont;
};

} // namespace tavrin
