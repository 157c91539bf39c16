#include "search/qt/SearchOptionsDialog.h"

#include "platform/AppError.h"
#include "platform/Cp932.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/Registry.h"
#include "platform/qt/DialogFrame.h"
#include "platform/qt/QtText.h"
#include "search/SearchOptions.h"
#include "ui_SearchOptionsDialog.h"

#include <QPointer>

namespace tavrin {

namespace {

constexpr int kHelpContext = 21;

} // namespace

// No button of this dialog answers Esc.
SearchOptionsDialog::SearchOptionsDialog(Uses uses, std::string helpFile, QWidget* parent)
    : FormDialog(parent, Esc::ignored), ui(std::make_unique<Ui::TSearchForm>()), mUses(uses),
      mHelpFile(std::move(helpFile)) {
    ui->setupUi(this);
    fixDialogFrame(this, QSize(486, 307));

    connect(ui->Bt_Ref, &QPushButton::clicked, this, &SearchOptionsDialog::chooseStartFolder);
    connect(ui->Bt_Rpg2k, &QPushButton::clicked, this, &SearchOptionsDialog::takeEditorFolder);
    connect(ui->Bt_Search, &QPushButton::clicked, this, &SearchOptionsDialog::startSearch);
    connect(ui->Bt_Ok, &QPushButton::clicked, this, [this] { done(kSearchFormSave); });
    connect(ui->Bt_Cancel, &QPushButton::clicked, this, [this] { done(kSearchFormCancel); });
    connectHelp(this, ui->Bt_Help, [this] { showHelp(); });
}

SearchOptionsDialog::~SearchOptionsDialog() = default;

int SearchOptionsDialog::editSearch(SearchSettings& s) {
    const SearchFormValues in = searchFormValues(s);
    ui->Ed_FindStartFolder->setText(qs(in.startFolder));
    ui->Chk_rpgt2k->setChecked(in.rpg2000);
    ui->Chk_rpgt95->setChecked(in.rpg95);
    ui->Chk_insert->setChecked(in.insert);
    ui->Chk_duplicate->setChecked(in.duplicate);

    const int result = exec();

    const SearchFormValues out{toCp932Path(ui->Ed_FindStartFolder->text()),
                               ui->Chk_rpgt2k->isChecked(), ui->Chk_rpgt95->isChecked(),
                               ui->Chk_insert->isChecked(), ui->Chk_duplicate->isChecked()};
    return applySearchForm(result, out, s);
}

// The close box answers as キャンセル does.
void SearchOptionsDialog::reject() {
    done(kSearchFormCancel);
}

void SearchOptionsDialog::setUpControls() {
    // Until the registry answers, which may wait for Wine, there is no folder to take.
    ui->Bt_Rpg2k->setEnabled(false);
    askEditorFolder(
        [this](const std::string& folder) { ui->Bt_Rpg2k->setEnabled(!folder.empty()); });
    ui->Ed_FindStartFolder->setFocus();
    ui->Ed_FindStartFolder->selectAll();
}

// A value of the wrong type counts as none, since this dialog shows no messages.
void SearchOptionsDialog::askEditorFolder(std::function<void(const std::string&)> then) {
    mAsking = true;
    const QPointer<SearchOptionsDialog> self = this;
    mUses.registry.later({}, [self, then = std::move(then)](Registry& registry) {
        std::string folder;
        try {
            folder = readRegistryString(registry, "Software\\ASCII\\RPG2000", "ApplicationPath");
        } catch (const AppError&) {
            folder.clear();
        }
        return Registry::Then([self, then, folder] {
            if (self) {
                self->mAsking = false;
                then(folder);
            }
        });
    });
}

void SearchOptionsDialog::chooseStartFolder() {
    const auto folder = mUses.dialogs.browseForFolder(sj("検索を開始するフォルダを選んで下さい"));
    if (folder && !folder->empty()) {
        ui->Ed_FindStartFolder->setText(qs(*folder));
    }
}

void SearchOptionsDialog::takeEditorFolder() {
    if (mAsking) {
        return;
    }
    askEditorFolder([this](const std::string& folder) {
        // Gone since the dialog opened: the edit keeps its text rather than turning empty.
        if (!folder.empty()) {
            ui->Ed_FindStartFolder->setText(qs(folder));
        }
    });
}

void SearchOptionsDialog::startSearch() {
    done(kSearchFormSearch);
}

void SearchOptionsDialog::showHelp() {
    mUses.help.showContext(mHelpFile, kHelpContext);
}

} // namespace tavrin
