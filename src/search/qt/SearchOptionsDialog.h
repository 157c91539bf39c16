#pragma once

#include "platform/UserSettings.h"

#include "platform/qt/FormDialog.h"

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TSearchForm;
}

namespace tavrin {

class Dialogs;
class Help;
class Registry;

// The search options dialog: edits the search settings and says whether to search.
class SearchOptionsDialog : public FormDialog {
    Q_OBJECT
public:
    // What the dialog reaches: its boxes, its help, the registry that names the 2000 editor.
    struct Uses {
        Dialogs& dialogs;
        Help& help;
        Registry& registry;
    };
    SearchOptionsDialog(Uses uses, std::string helpFile, QWidget* parent = nullptr);
    ~SearchOptionsDialog() override;

    // 0: cancelled, the group unchanged; 1: the group updated, no search; 2: updated, search.
    int editSearch(SearchSettings& s);

    void reject() override;

private:
    void setUpControls() override;
    void chooseStartFolder();
    void takeEditorFolder();
    void startSearch();
    void showHelp();
    // Tells `then` the RPG Tsukuru 2000 editor's folder once the registry has answered, unless
    // the dialog has gone by then.
    void askEditorFolder(std::function<void(const std::string&)> then);

    std::unique_ptr<Ui::TSearchForm> ui;
    Uses mUses;
    std::string mHelpFile;
    // A click while the registry is asked asks nothing more.
    bool mAsking = false;
};

} // namespace tavrin
