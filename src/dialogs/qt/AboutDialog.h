#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TVersionForm;
}

namespace tavrin {

class Shell;

// The about box: the program's icon, name, version, rights line, web page, and the folder
// that holds the catalogue and the settings.
class TVersionForm : public QDialog {
    Q_OBJECT
public:
    // `shell` opens the web page.
    TVersionForm(Shell& shell, const QString& dataFolder, QWidget* parent = nullptr);
    ~TVersionForm() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Lab_UrlClick();

    std::unique_ptr<Ui::TVersionForm> ui;
    Shell& mShell;
};

} // namespace tavrin
