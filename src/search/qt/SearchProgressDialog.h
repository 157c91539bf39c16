#pragma once

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TSearchDlg;
}

namespace tavrin {

class Catalogue;
class Dialogs;
class FileSystem;
class TSearchClass;

// The progress of one search at a time, shown modally. Only the scanner's end closes it; every
// close request becomes the question whether to end the search. One object may run several
// searches in a row.
class TSearchDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSearchDlg(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TSearchDlg() override;

    // Finds projects below the start folder and appends them to the catalogue's selected folder.
    // Returns once the search has ended: 0.
    int RunSearch(Catalogue& catalogue, FileSystem& fs, int matchKinds, bool dupChk,
                  const std::string& startFolder);

    // The scanner of the current run; null between runs and once it has ended.
    TSearchClass* scanner() const { return searchThread; }

    // Results below this are the user's requests, from it on the scanner's end.
    static constexpr int ScannerEnded = 8;

    // Any other result is a close request: it asks, and never closes by itself.
    void done(int result) override;
    // Esc pauses or resumes; it never closes.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Bt_suspendClick();
    void FormCloseQuery();
    void SearchTerminated();
    void showFound(int count);

    std::unique_ptr<Ui::TSearchDlg> ui;
    Dialogs& mDialogs;
    TSearchClass* searchThread = nullptr;
    std::unique_ptr<std::vector<std::string>> markerNames;
    bool mStarted = false;
    bool mAsking = false;
    bool mEnded = false;
};

} // namespace tavrin
