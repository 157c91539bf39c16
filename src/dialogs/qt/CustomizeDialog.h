#pragma once

#include "dialogs/GazFolders.h"
#include "platform/UserSettings.h"

#include "platform/qt/FormDialog.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;
class QMimeData;
class QPushButton;

namespace Ui {
class TCustomizeForm;
}

namespace tavrin {

class Dialogs;
class FileSystem;
class Help;

// The customisation dialog: the application bar's eight entries and the Gaz soft tools' folders.
class CustomizeDialog : public FormDialog {
    Q_OBJECT
public:
    // What the dialog reaches: its boxes, the files it names, its help.
    struct Uses {
        Dialogs& dialogs;
        FileSystem& fs;
        Help& help;
    };
    CustomizeDialog(Uses uses, std::string helpFile, QWidget* parent = nullptr);
    ~CustomizeDialog() override;

    // True when closed with OK and `bars` updated; otherwise `bars` is untouched.
    bool editBars(BarSettings& bars);

protected:
    // The drops on the twelve edit fields.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct AplRow {
        QCheckBox* check = nullptr;
        QLineEdit* edit = nullptr;
        QPushButton* browse = nullptr;
    };

    void createAplRows();
    void chainTabOrder();
    void setUpControls() override;
    void enableApplicationRow(const AplRow& row);
    void chooseApplication(const AplRow& row);
    void chooseGazToolFolder(std::size_t tool);
    void showHelp();
    int activeHelpContext() const;
    std::optional<std::string> droppedFile(const QMimeData* data) const;
    std::string typedPath(const QString& text) const;
    void dropOn(QLineEdit* field, const std::string& path);

    std::unique_ptr<Ui::TCustomizeForm> ui;
    Uses mUses;
    std::string mHelpFile;
    std::array<AplRow, 8> mRows;
    std::array<QLineEdit*, 4> mToolEdits{};
    SharedOpenDialog mOpenDialog;
    bool mAplChanged = false;
    bool mGazChanged = false;
};

} // namespace tavrin
