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
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // `shell` opens the web page.
    AboutDialog(Shell& shell, const QString& dataFolder, QWidget* parent = nullptr);
    ~AboutDialog() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openProjectPage();

    std::unique_ptr<Ui::TVersionForm> ui;
    Shell& mShell;
};

} // namespace tavrin
