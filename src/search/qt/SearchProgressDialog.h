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
class ProjectSearch;

// The progress of one search at a time, shown modally. Only the scanner's end closes it; every
// close request becomes the question whether to end the search. One object may run several
// searches in a row.
class SearchProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit SearchProgressDialog(Dialogs& dialogs, QWidget* parent = nullptr);
    ~SearchProgressDialog() override;

    // Finds projects below the start folder and appends them to the catalogue's selected folder.
    // Returns once the search has ended: 0.
    int run(Catalogue& catalogue, FileSystem& fs, int matchKinds, bool dupChk,
            const std::string& startFolder);

    // The scanner of the current run; null between runs and once it has ended.
    ProjectSearch* scanner() const { return mSearch.get(); }

    // Results below this are the user's requests, from it on the scanner's end.
    static constexpr int kScannerEnded = 8;

    // Any other result is a close request: it asks, and never closes by itself.
    void done(int result) override;
    // Esc pauses or resumes; it never closes.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void togglePause();
    void askToStop();
    void searchEnded();
    void showFound(int count);

    std::unique_ptr<Ui::TSearchDlg> ui;
    Dialogs& mDialogs;
    std::unique_ptr<ProjectSearch> mSearch;
    // A search that has ended, kept until the next one or the dialog's end: its own signal is
    // on the stack when it ends.
    std::unique_ptr<ProjectSearch> mEndedSearch;
    std::unique_ptr<std::vector<std::string>> mMarkerNames;
    bool mStarted = false;
    bool mAsking = false;
    bool mEnded = false;
};

} // namespace tavrin
