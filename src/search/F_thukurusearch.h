#pragma once

#include "platform/Services.h"
#include "platform/SettingsRecord.h"

#include "platform/linux/FormDialog.h"

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TSearchForm;
}

namespace tavrin {

// The search options dialog: edits the search settings and says whether to search.
class TSearchForm : public FormDialog {
    Q_OBJECT
public:
    TSearchForm(Services services, std::string helpFile, QWidget* parent = nullptr);
    ~TSearchForm() override;

    // 0: cancelled, the group unchanged; 1: the group updated, no search; 2: updated, search.
    int EditSearchSettings(SearchSettings& s);

    void reject() override;

private:
    void FormShow() override;
    void Bt_RefClick();
    void Bt_Rpg2kClick();
    void Bt_SearchClick();
    void Bt_HelpClick();
    // Tells `then` the RPG Tsukuru 2000 editor's folder once the registry has answered, unless
    // the dialog has gone by then.
    void askEditorFolder(std::function<void(const std::string&)> then);

    std::unique_ptr<Ui::TSearchForm> ui;
    Services mServices;
    std::string mHelpFile;
    // A click while the registry is asked asks nothing more.
    bool mAsking = false;
};

} // namespace tavrin
