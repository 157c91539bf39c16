#pragma once

#include "dialogs/GazFolders.h"
#include "platform/Services.h"
#include "platform/SettingsRecord.h"

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

// The customisation dialog: the application bar's eight entries and the Gaz soft tools' folders.
class TCustomizeForm : public FormDialog {
    Q_OBJECT
public:
    TCustomizeForm(Services services, std::string helpFile, QWidget* parent = nullptr);
    ~TCustomizeForm() override;

    // True when closed with OK and `bars` updated; otherwise `bars` is untouched.
    bool EditBarSettings(BarSettings& bars);

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
    void FormShow() override;
    void AplCheckClick(const AplRow& row);
    void AplBrowseClick(const AplRow& row);
    void Gazsoft_ref_Click(std::size_t tool);
    void Bt_helpClick();
    int activeHelpContext() const;
    std::optional<std::string> droppedFile(const QMimeData* data) const;
    std::string typedPath(const QString& text) const;
    void dropOn(QLineEdit* field, const std::string& path);

    std::unique_ptr<Ui::TCustomizeForm> ui;
    Services mServices;
    std::string mHelpFile;
    std::array<AplRow, 8> mRows;
    std::array<QLineEdit*, 4> mToolEdits{};
    SharedOpenDialog OpenDialog;
    bool aplChanged = false;
    bool gazChanged = false;
};

} // namespace tavrin
