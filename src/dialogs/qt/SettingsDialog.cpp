#include "dialogs/qt/F_setting.h"

#include "dialogs/SettingValues.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Help.h"
#include "platform/Icons.h"
#include "platform/PathText.h"
#include "platform/qt/DialogFrame.h"
#include "platform/qt/QtLook.h"
#include "platform/qt/QtText.h"
#include "ui_F_setting.h"

#include <QButtonGroup>
#include <QPixmap>
#include <QSignalBlocker>

namespace tavrin {

namespace {

// Help numbers of the three pages, in page order.
constexpr int pageHelp[] = {32, 33, 60};

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
TSettingForm::TSettingForm(Services services, std::string helpFile, QWidget* parent)
    : FormDialog(parent, Esc::ignored), ui(std::make_unique<Ui::TSettingForm>()),
      mServices(services), mHelpFile(std::move(helpFile)) {
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

    connect(ui->Chk_Bgcolor, &QCheckBox::toggled, this, &TSettingForm::Chk_BgcolorClick);
    for (QScrollBar* bar : {ui->SclBar_Red, ui->SclBar_Green, ui->SclBar_Blue}) {
        connect(bar, &QScrollBar::valueChanged, this, &TSettingForm::SclBar_Change);
    }
    connect(ui->Bt_ChangeFont, &QPushButton::clicked, this, &TSettingForm::Bt_ChangeFontClick);
    connect(ui->Chk_UseTry, &QCheckBox::toggled, this, &TSettingForm::Chk_UseTryClick);
    connect(ui->Bt_Ref, &QPushButton::clicked, this, &TSettingForm::Bt_RefClick);
    connect(ui->Combo_KindOfIcon, &QComboBox::currentIndexChanged, this,
            &TSettingForm::Combo_KindOfIconChange);
    connect(ui->Ed_ListIconPath, &QLineEdit::textChanged, this,
            &TSettingForm::Ed_ListIconPathChange);
    connect(ui->Bt_IconPathRef, &QPushButton::clicked, this, &TSettingForm::Bt_IconPathRefClick);
    connect(ui->Bt_Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Bt_Cansel, &QPushButton::clicked, this, &TSettingForm::reject);
    connectHelp(this, ui->Bt_Help, [this] { Bt_HelpClick(); });
}

TSettingForm::~TSettingForm() = default;

bool TSettingForm::EditSettings(SettingsRecord& record, FontChoice& listFont) {
    const SettingFormValues in = settingFormValues(record);
    ui->Chk_Position->setChecked(in.position);
    checkItem(mStartSize, in.startSize);
    checkItem(mDblClick, in.dblClick);
    ui->Chk_GdiRenderer->setChecked(in.gdiRenderer);
    ui->Chk_Rowselect->setChecked(in.rowSelect);
    ui->Chk_Gridline->setChecked(in.gridLines);
    ui->Chk_Hottrack->setChecked(in.hotTrack);
    ui->Chk_Bgcolor->setChecked(in.bgColorOn);

    workIconPath = in.iconPaths;
    ui->Combo_KindOfIcon->setCurrentIndex(0);
    Combo_KindOfIconChange();

    const ColourBars bars = colourBars(in.colour);
    ui->SclBar_Red->setValue(bars.red);
    ui->SclBar_Green->setValue(bars.green);
    ui->SclBar_Blue->setValue(bars.blue);
    SclBar_Change();

    mFont = listFont;
    showFont();

    ui->Chk_UseTry->setChecked(in.useTry);
    Chk_UseTryClick();
    ui->Ed_TryPath->setText(qs(in.tryPath));

    if (exec() != QDialog::Accepted) {
        return false;
    }

    SettingFormValues out;
    out.position = ui->Chk_Position->isChecked();
    out.startSize = mStartSize->checkedId();
    out.dblClick = mDblClick->checkedId();
    out.gdiRenderer = ui->Chk_GdiRenderer->isChecked();
    out.rowSelect = ui->Chk_Rowselect->isChecked();
    out.gridLines = ui->Chk_Gridline->isChecked();
    out.hotTrack = ui->Chk_Hottrack->isChecked();
    out.bgColorOn = ui->Chk_Bgcolor->isChecked();
    out.iconPaths = workIconPath;
    out.colour = workColor;
    out.useTry = ui->Chk_UseTry->isChecked();
    out.tryPath = toCp932Path(ui->Ed_TryPath->text());
    applySettingForm(out, record);
    listFont = mFont;
    return true;
}

// The close box answers as キャンセル does.
void TSettingForm::reject() {
    done(QDialog::Rejected);
}

void TSettingForm::FormShow() {
    SclBar_Change();
    Chk_BgcolorClick();
}

void TSettingForm::Chk_BgcolorClick() {
    const bool on = ui->Chk_Bgcolor->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->Label1, ui->Label2, ui->Label3, ui->SclBar_Red, ui->SclBar_Green, ui->SclBar_Blue,
             ui->Label4, ui->Label5, ui->Label6}) {
        w->setEnabled(on);
    }
    ui->Color_Sample->setAutoFillBackground(on);
    ui->Color_Sample->update();
}

void TSettingForm::SclBar_Change() {
    const ColourBars bars{ui->SclBar_Red->value(), ui->SclBar_Green->value(),
                          ui->SclBar_Blue->value()};
    ui->Label4->setText(QString::number(bars.red));
    ui->Label5->setText(QString::number(bars.green));
    ui->Label6->setText(QString::number(bars.blue));
    workColor = composedColour(bars);
    QPalette p = ui->Color_Sample->palette();
    p.setColor(QPalette::Window, toQColor(workColor, palette(), QPalette::Window));
    ui->Color_Sample->setPalette(p);
}

void TSettingForm::Bt_ChangeFontClick() {
    if (const auto chosen = mServices.dialogs.chooseFont(mFont)) {
        mFont = *chosen;
        showFont();
    }
}

void TSettingForm::showFont() {
    ui->Lb_FontName->setText(qs(mFont.name));
    ui->Lb_FontName->setFont(toQFont(mFont, font()));
    QPalette p = ui->GroupBox_FontSetting->palette();
    // A system colour stays the label's own text colour.
    if ((mFont.colour & 0xFF000000) == 0) {
        p.setColor(QPalette::WindowText, toQColor(mFont.colour, palette(), QPalette::WindowText));
    }
    ui->Lb_FontName->setPalette(p);
}

void TSettingForm::Chk_UseTryClick() {
    const bool on = ui->Chk_UseTry->isChecked();
    ui->Label7->setEnabled(on);
    // Disabled, the field takes the page's colour, as the off state should look.
    ui->Ed_TryPath->setEnabled(on);
    ui->Bt_Ref->setEnabled(on);
}

void TSettingForm::Bt_RefClick() {
    const auto picked = mServices.dialogs.openFile({"", trialFileFilter(), ""});
    if (picked) {
        ui->Ed_TryPath->setText(qs(trialFolder(*picked)));
    }
}

void TSettingForm::Combo_KindOfIconChange() {
    const int kind = ui->Combo_KindOfIcon->currentIndex();
    if (kind < 0 || kind >= static_cast<int>(workIconPath.size())) {
        return;
    }
    const std::string path = workIconPath[kind];
    // The same text again would move the cursor of someone typing; the field's own handler
    // would only store it again.
    if (toCp932Path(ui->Ed_ListIconPath->text()) != path) {
        const QSignalBlocker quiet(ui->Ed_ListIconPath);
        ui->Ed_ListIconPath->setText(qs(path));
    }
    showIcon(path);
}

void TSettingForm::Ed_ListIconPathChange() {
    const int kind = ui->Combo_KindOfIcon->currentIndex();
    if (kind < 0 || kind >= static_cast<int>(workIconPath.size())) {
        return;
    }
    const std::string path = toCp932Path(ui->Ed_ListIconPath->text());
    workIconPath[kind] = path;
    if (mServices.fs.fileExists(path)) {
        Combo_KindOfIconChange();
    } else {
        // No picture of a file that is not there, nor a stale one of the path before.
        ui->ListIconImage->clear();
    }
}

void TSettingForm::showIcon(const std::string& path) {
    QPixmap picture;
    const auto bytes = mServices.icons.fileIcon(path);
    if (bytes && picture.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                                      static_cast<uint>(bytes->size()))) {
        ui->ListIconImage->setPixmap(picture);
    } else {
        ui->ListIconImage->clear();
    }
}

void TSettingForm::Bt_IconPathRefClick() {
    const std::string folder = pathtext::folderPart(toCp932Path(ui->Ed_ListIconPath->text()));
    if (const auto picked = mServices.dialogs.openFile({"", iconFileFilter(), folder})) {
        ui->Ed_ListIconPath->setText(qs(*picked));
    }
}

int TSettingForm::activeHelpContext() const {
    const int page = ui->PageControl->currentIndex();
    return page >= 0 && page < 3 ? pageHelp[page] : pageHelp[0];
}

void TSettingForm::Bt_HelpClick() {
    mServices.help.showContext(mHelpFile, activeHelpContext());
}

} // namespace tavrin
