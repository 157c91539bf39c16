#pragma once

#include "platform/Dialogs.h"
#include "platform/UserSettings.h"

#include "platform/qt/FormDialog.h"

#include <array>
#include <memory>
#include <string>

class QButtonGroup;

namespace Ui {
class TSettingForm;
}

namespace tavrin {

class Dialogs;
class FileSystem;
class Help;
class Icons;

// The settings dialog: basic, list and trial-edition settings, written back only on OK.
class SettingsDialog : public FormDialog {
    Q_OBJECT
public:
    // What the dialog reaches: its boxes, the files it names, their icons, its help.
    struct Uses {
        Dialogs& dialogs;
        FileSystem& fs;
        Help& help;
        Icons& icons;
    };
    SettingsDialog(Uses uses, std::string helpFile, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // True when confirmed: the record's basic, list and trial groups and listFont then hold the
    // controls; otherwise both are untouched.
    bool editSettings(UserSettings& record, FontChoice& listFont);

    void reject() override;

private:
    void setUpControls() override;
    void enableBackgroundColour();
    void showColour();
    void chooseListFont();
    void enableTrialEdition();
    void chooseTrialEditor();
    void showIconOfKind();
    void storeIconPath();
    void chooseIconFile();
    void showHelp();
    void showFont();
    void showIcon(const std::string& path);
    int activeHelpContext() const;

    std::unique_ptr<Ui::TSettingForm> ui;
    QButtonGroup* mStartSize;
    QButtonGroup* mDblClick;
    Uses mUses;
    std::string mHelpFile;
    Colour mWorkColour = 0;
    std::array<std::string, 2> mWorkIconPaths;
    FontChoice mFont;
};

} // namespace tavrin
