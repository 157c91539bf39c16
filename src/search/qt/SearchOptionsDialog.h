#pragma once

#include "platform/Services.h"
#include "platform/UserSettings.h"

#include "platform/qt/FormDialog.h"

#include <memory>
#include <string>

namespace Ui {
class TSearchForm;
}

namespace tavrin {

// The search options dialog: edits the search settings and says whether to search.
class SearchOptionsDialog : public FormDialog {
    Q_OBJECT
public:
    SearchOptionsDialog(Services services, std::string helpFile, QWidget* parent = nullptr);
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
    std::string editorFolder();

    std::unique_ptr<Ui::TSearchForm> ui;
    Services mServices;
    std::string mHelpFile;
};

} // namespace tavrin
