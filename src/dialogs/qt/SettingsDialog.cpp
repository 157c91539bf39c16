#include "dialogs/qt/SettingsDialog.h"

#include "dialogs/SettingsDialogRules.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Help.h"
#include "platform/Icons.h"
#include "platform/PathText.h"
#include "platform/qt/DialogFrame.h"
#include "platform/qt/QtLook.h"
#include "platform/qt/QtText.h"
#include "ui_SettingsDialog.h"

#include <QButtonGroup>
#include <QPixmap>
#include <QSignalBlocker>

namespace tavrin {

namespace {

// Help numbers of the three pages, in page order.
constexpr int kPageHelp[] = {32, 33, 60};

// Item `item` checked, or none for -1.
void checkItem(QButtonGroup* group, int item) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) {
        b->setChecked(group->id(b) == item);
    }
    group->setExclusive(true);
}

} // namespace

// Neither OK nor キャンセル answers Esc.
SettingsDialog::SettingsDialog(Uses uses, std::string helpFile, QWidget* parent)
    : FormDialog(parent, Esc::ignored), ui(std::make_unique<Ui::TSettingForm>()), mUses(uses),
      mHelpFile(std::move(helpFile)) {
    setFont(designedFont(12));
    ui->setupUi(this);
    fixDialogFrame(this, QSize(410, 403));

    mStartSize = new QButtonGroup(this);
    mStartSize->addButton(ui->StartSize_Full, 0);
    mStartSize->addButton(ui->StartSize_Window, 1);
    mDblClick = new QButtonGroup(this);
    mDblClick->addButton(ui->Dblclick_OpenFolder, 0);
    mDblClick->addButton(ui->Dblclick_GameStart, 1);
    mDblClick->addButton(ui->Dblclick_Edit, 2);
    mDblClick->addButton(ui->Dblclick_Nothing, 3);

    // The memo reads as part of the page.
    QPalette memo = ui->Memo1->palette();
    memo.setColor(QPalette::Base, Qt::transparent);
    ui->Memo1->setPalette(memo);

    connect(ui->Chk_Bgcolor, &QCheckBox::toggled, this, &SettingsDialog::enableBackgroundColour);
    for (QScrollBar* bar : {ui->SclBar_Red, ui->SclBar_Green, ui->SclBar_Blue}) {
        connect(bar, &QScrollBar::valueChanged, this, &SettingsDialog::showColour);
    }
    connect(ui->Bt_ChangeFont, &QPushButton::clicked, this, &SettingsDialog::chooseListFont);
    connect(ui->Chk_UseTry, &QCheckBox::toggled, this, &SettingsDialog::enableTrialEdition);
    connect(ui->Bt_Ref, &QPushButton::clicked, this, &SettingsDialog::chooseTrialEditor);
    connect(ui->Combo_KindOfIcon, &QComboBox::currentIndexChanged, this,
            &SettingsDialog::showIconOfKind);
    connect(ui->Ed_ListIconPath, &QLineEdit::textChanged, this, &SettingsDialog::storeIconPath);
    connect(ui->Bt_IconPathRef, &QPushButton::clicked, this, &SettingsDialog::chooseIconFile);
    connect(ui->Bt_Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Bt_Cansel, &QPushButton::clicked, this, &SettingsDialog::reject);
    connectHelp(this, ui->Bt_Help, [this] { showHelp(); });
}

SettingsDialog::~SettingsDialog() = default;

bool SettingsDialog::editSettings(UserSettings& record, FontChoice& listFont) {
    const SettingsDialogValues in = settingsDialogValues(record);
    ui->Chk_Position->setChecked(in.position);
    checkItem(mStartSize, in.startSize);
    checkItem(mDblClick, in.dblClick);
    ui->Chk_GdiRenderer->setChecked(in.gdiRenderer);
    ui->Chk_Rowselect->setChecked(in.rowSelect);
    ui->Chk_Gridline->setChecked(in.gridLines);
    ui->Chk_Hottrack->setChecked(in.hotTrack);
    ui->Chk_Bgcolor->setChecked(in.bgColorOn);

    mWorkIconPaths = in.iconPaths;
    ui->Combo_KindOfIcon->setCurrentIndex(0);
    showIconOfKind();

    const ColourBars bars = colourBars(in.colour);
    ui->SclBar_Red->setValue(bars.red);
    ui->SclBar_Green->setValue(bars.green);
    ui->SclBar_Blue->setValue(bars.blue);
    showColour();

    mFont = listFont;
    showFont();

    ui->Chk_UseTry->setChecked(in.useTry);
    enableTrialEdition();
    ui->Ed_TryPath->setText(qs(in.tryPath));

    if (exec() != QDialog::Accepted) {
        return false;
    }

    SettingsDialogValues out;
    out.position = ui->Chk_Position->isChecked();
    out.startSize = mStartSize->checkedId();
    out.dblClick = mDblClick->checkedId();
    out.gdiRenderer = ui->Chk_GdiRenderer->isChecked();
    out.rowSelect = ui->Chk_Rowselect->isChecked();
    out.gridLines = ui->Chk_Gridline->isChecked();
    out.hotTrack = ui->Chk_Hottrack->isChecked();
    out.bgColorOn = ui->Chk_Bgcolor->isChecked();
    out.iconPaths = mWorkIconPaths;
    out.colour = mWorkColour;
    out.useTry = ui->Chk_UseTry->isChecked();
    out.tryPath = toCp932Path(ui->Ed_TryPath->text());
    applySettingsDialog(out, record);
    listFont = mFont;
    return true;
}

// The close box answers as キャンセル does.
void SettingsDialog::reject() {
    done(QDialog::Rejected);
}

void SettingsDialog::setUpControls() {
    showColour();
    enableBackgroundColour();
}

void SettingsDialog::enableBackgroundColour() {
    const bool on = ui->Chk_Bgcolor->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->Label1, ui->Label2, ui->Label3, ui->SclBar_Red, ui->SclBar_Green, ui->SclBar_Blue,
             ui->Label4, ui->Label5, ui->Label6}) {
        w->setEnabled(on);
    }
    ui->Color_Sample->setAutoFillBackground(on);
    ui->Color_Sample->update();
}

void SettingsDialog::showColour() {
    const ColourBars bars{ui->SclBar_Red->value(), ui->SclBar_Green->value(),
                          ui->SclBar_Blue->value()};
    ui->Label4->setText(QString::number(bars.red));
    ui->Label5->setText(QString::number(bars.green));
    ui->Label6->setText(QString::number(bars.blue));
    mWorkColour = composedColour(bars);
    QPalette p = ui->Color_Sample->palette();
    p.setColor(QPalette::Window, toQColor(mWorkColour, palette(), QPalette::Window));
    ui->Color_Sample->setPalette(p);
}

void SettingsDialog::chooseListFont() {
    if (const auto chosen = mUses.dialogs.chooseFont(mFont)) {
        mFont = *chosen;
        showFont();
    }
}

void SettingsDialog::showFont() {
    ui->Lb_FontName->setText(qs(mFont.name));
    ui->Lb_FontName->setFont(toQFont(mFont, font()));
    QPalette p = ui->GroupBox_FontSetting->palette();
    // A system colour stays the label's own text colour.
    if ((mFont.colour & 0xFF000000) == 0) {
        p.setColor(QPalette::WindowText, toQColor(mFont.colour, palette(), QPalette::WindowText));
    }
    ui->Lb_FontName->setPalette(p);
}

void SettingsDialog::enableTrialEdition() {
    const bool on = ui->Chk_UseTry->isChecked();
    ui->Label7->setEnabled(on);
    // Disabled, the field takes the page's colour, as the off state should look.
    ui->Ed_TryPath->setEnabled(on);
    ui->Bt_Ref->setEnabled(on);
}

void SettingsDialog::chooseTrialEditor() {
    const auto picked = mUses.dialogs.openFile({"", trialFileFilter(), ""});
    if (picked) {
        ui->Ed_TryPath->setText(qs(trialFolder(*picked)));
    }
}

void SettingsDialog::showIconOfKind() {
    const int kind = ui->Combo_KindOfIcon->currentIndex();
    if (kind < 0 || kind >= static_cast<int>(mWorkIconPaths.size())) {
        return;
    }
    const std::string path = mWorkIconPaths[kind];
    // The same text again would move the cursor of someone typing; the field's own handler
    // would only store it again.
    if (toCp932Path(ui->Ed_ListIconPath->text()) != path) {
        const QSignalBlocker quiet(ui->Ed_ListIconPath);
        ui->Ed_ListIconPath->setText(qs(path));
    }
    showIcon(path);
}

void SettingsDialog::storeIconPath() {
    const int kind = ui->Combo_KindOfIcon->currentIndex();
    if (kind < 0 || kind >= static_cast<int>(mWorkIconPaths.size())) {
        return;
    }
    const std::string path = toCp932Path(ui->Ed_ListIconPath->text());
    mWorkIconPaths[kind] = path;
    if (mUses.fs.fileExists(path)) {
        showIconOfKind();
    } else {
        // No picture of a file that is not there, nor a stale one of the path before.
        ui->ListIconImage->clear();
    }
}

void SettingsDialog::showIcon(const std::string& path) {
    QPixmap picture;
    const auto bytes = mUses.icons.fileIcon(path);
    if (bytes && picture.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                                      static_cast<uint>(bytes->size()))) {
        ui->ListIconImage->setPixmap(picture);
    } else {
        ui->ListIconImage->clear();
    }
}

void SettingsDialog::chooseIconFile() {
    const std::string folder = pathtext::folderPart(toCp932Path(ui->Ed_ListIconPath->text()));
    if (const auto picked = mUses.dialogs.openFile({"", iconFileFilter(), folder})) {
        ui->Ed_ListIconPath->setText(qs(*picked));
    }
}

int SettingsDialog::activeHelpContext() const {
    const int page = ui->PageControl->currentIndex();
    return page >= 0 && page < 3 ? kPageHelp[page] : kPageHelp[0];
}

void SettingsDialog::showHelp() {
    mUses.help.showContext(mHelpFile, activeHelpContext());
}

} // namespace tavrin
