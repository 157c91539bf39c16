#include "platform/qt/QtFontDialog.h"

#include "platform/qt/QtLook.h"
#include "platform/qt/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace tavrin {

namespace {

struct BasicColour {
    const char* name;
    std::uint32_t value; // 0x00BBGGRR
};

// The sixteen colours of the Windows font dialog, in its order.
constexpr std::array<BasicColour, 16> basicColours = {{
    {"黒", 0x000000},
    {"栗色", 0x000080},
    {"緑", 0x008000},
    {"オリーブ", 0x008080},
    {"濃紺", 0x800000},
    {"紫", 0x800080},
    {"青緑", 0x808000},
    {"灰色", 0x808080},
    {"銀色", 0xC0C0C0},
    {"赤", 0x0000FF},
    {"ライム", 0x00FF00},
    {"黄", 0x00FFFF},
    {"青", 0xFF0000},
    {"赤紫", 0xFF00FF},
    {"水色", 0xFFFF00},
    {"白", 0xFFFFFF},
}};

// Regular, italic, bold, bold italic: the styles FontChoice can hold.
const char* const styleNames[] = {"標準", "斜体", "太字", "太字 斜体"};
const int standardSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
// The largest size the Windows font dialog takes.
constexpr int kMaxSize = 1638;

// A system colour the palette has no role for is the desktop's text colour here.
QColor shownColour(std::uint32_t colour, const QPalette& palette) {
    return toQColor(colour, palette, QPalette::WindowText);
}

QIcon swatch(const QColor& c) {
    QPixmap p(14, 10);
    p.fill(c);
    QPainter painter(&p);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, p.width() - 1, p.height() - 1);
    return QIcon(p);
}

bool isSymbolFont(const QString& family) {
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol);
}

class FontDialog : public QDialog {
public:
    FontDialog(QWidget* owner, const FontChoice& initial) : QDialog(owner), mInitial(initial) {
        setWindowTitle(QStringLiteral("フォント"));
        setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

        // Made in this order, which is also the order Tab goes through them.
        QGridLayout* lists = makeLists();
        auto* lower = new QHBoxLayout;
        lower->addWidget(makeEffects());
        lower->addWidget(makeSample(), 1);

        mButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(mButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(mButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(lists);
        layout->addLayout(lower);
        layout->addWidget(mButtons);

        showChoice(initial);
        connectControls();
        refresh();
    }

    FontChoice chosen() const {
        FontChoice out = mInitial;
        out.name = toCp932(mName->text().trimmed());
        out.size = mSize->text().toInt();
        const int style = std::max(0, mStyles->currentRow());
        out.italic = style == 1 || style == 3;
        out.bold = style >= 2;
        out.underline = mUnderline->isChecked();
        out.strikeOut = mStrikeOut->isChecked();
        out.colour = mColour->currentData().value<std::uint32_t>();
        return out;
    }

private:
    QGridLayout* makeLists() {
        mName = named(new QLineEdit(this), "FontName");
        mNames = named(new QListWidget(this), "FontNameList");
        for (const QString& family : QFontDatabase::families()) {
            if (!QFontDatabase::isPrivateFamily(family) && !isSymbolFont(family)) {
                mNames->addItem(family);
            }
        }
        mStyles = named(new QListWidget(this), "FontStyleList");
        for (const char* style : styleNames) {
            mStyles->addItem(QString::fromUtf8(style));
        }
        mSize = named(new QLineEdit(this), "FontSize");
        mSize->setValidator(new QIntValidator(1, kMaxSize, mSize));
        mSizes = named(new QListWidget(this), "FontSizeList");
        for (int size : standardSizes) {
            mSizes->addItem(QString::number(size));
        }

        auto* lists = new QGridLayout;
        lists->addWidget(labelFor(mName, "フォント名(&F):"), 0, 0);
        lists->addWidget(labelFor(mStyles, "スタイル(&Y):"), 0, 1);
        lists->addWidget(labelFor(mSize, "サイズ(&S):"), 0, 2);
        // As the Windows dialog shows it: the chosen style above its list.
        mStyle = named(new QLineEdit(this), "FontStyle");
        mStyle->setReadOnly(true);
        mStyle->setFocusPolicy(Qt::NoFocus);
        lists->addWidget(mName, 1, 0);
        lists->addWidget(mStyle, 1, 1);
        lists->addWidget(mStyles, 2, 1);
        lists->addWidget(mSize, 1, 2);
        lists->addWidget(mNames, 2, 0);
        lists->addWidget(mSizes, 2, 2);
        lists->setColumnStretch(0, 3);
        lists->setColumnStretch(1, 2);
        lists->setColumnStretch(2, 1);
        mNames->setMinimumWidth(180);
        mStyles->setFixedHeight(140);
        mStyles->setMinimumWidth(90);
        mSizes->setMinimumWidth(60);
        mNames->setFixedHeight(140);
        mSizes->setFixedHeight(140);
        return lists;
    }

    QGroupBox* makeEffects() {
        auto* effects = new QGroupBox(QStringLiteral("文字飾り"), this);
        mStrikeOut =
            named(new QCheckBox(QStringLiteral("取り消し線(&K)"), effects), "FontStrikeOut");
        mUnderline = named(new QCheckBox(QStringLiteral("下線(&U)"), effects), "FontUnderline");
        mColour = named(new QComboBox(effects), "FontColour");
        for (const BasicColour& c : basicColours) {
            mColour->addItem(swatch(shownColour(c.value, palette())), QString::fromUtf8(c.name),
                             QVariant::fromValue(c.value));
        }
        auto* effectsLayout = new QVBoxLayout(effects);
        effectsLayout->addWidget(mStrikeOut);
        effectsLayout->addWidget(mUnderline);
        effectsLayout->addWidget(labelFor(mColour, "色(&C):"));
        effectsLayout->addWidget(mColour);
        effectsLayout->addStretch();
        return effects;
    }

    QGroupBox* makeSample() {
        auto* sampleBox = new QGroupBox(QStringLiteral("サンプル"), this);
        mSample = named(new QLabel(QStringLiteral("Aaあぁアァ亜宇"), sampleBox), "FontSample");
        mSample->setAlignment(Qt::AlignCenter);
        mSample->setFixedHeight(72);
        mSample->setMinimumWidth(220);
        auto* sampleLayout = new QVBoxLayout(sampleBox);
        sampleLayout->addWidget(mSample);
        return sampleBox;
    }

    void connectControls() {
        const auto takeFamily = [this](const QString& family) {
            if (!family.isEmpty() && mName->text() != family) {
                mName->setText(family);
            }
        };
        connect(mNames, &QListWidget::currentTextChanged, this, takeFamily);
        // The family found while typing is already current: a click must still take it.
        connect(mNames, &QListWidget::itemClicked, this,
                [takeFamily](QListWidgetItem* item) { takeFamily(item->text()); });
        connect(mName, &QLineEdit::textEdited, this, &FontDialog::findTypedName);
        connect(mName, &QLineEdit::textChanged, this, &FontDialog::refresh);
        connect(mSizes, &QListWidget::currentTextChanged, this, [this](const QString& size) {
            if (!size.isEmpty() && mSize->text() != size) {
                mSize->setText(size);
            }
        });
        connect(mSize, &QLineEdit::textChanged, this, &FontDialog::refresh);
        connect(mStyles, &QListWidget::currentRowChanged, this, &FontDialog::refresh);
        connect(mStrikeOut, &QCheckBox::toggled, this, &FontDialog::refresh);
        connect(mUnderline, &QCheckBox::toggled, this, &FontDialog::refresh);
        connect(mColour, &QComboBox::currentIndexChanged, this, &FontDialog::refresh);
    }

    template <typename W> W* named(W* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    }

    QLabel* labelFor(QWidget* buddy, const char* text) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setBuddy(buddy);
        return label;
    }

    void showChoice(const FontChoice& f) {
        const QString name = qs(f.name);
        mName->setText(name);
        const auto found = mNames->findItems(name, Qt::MatchFixedString);
        if (!found.isEmpty()) {
            mNames->setCurrentItem(found.first());
        }
        mStyles->setCurrentRow((f.bold ? 2 : 0) + (f.italic ? 1 : 0));
        mSize->setText(QString::number(f.size > 0 ? f.size : 9));
        const auto size = mSizes->findItems(mSize->text(), Qt::MatchExactly);
        if (!size.isEmpty()) {
            mSizes->setCurrentItem(size.first());
        }
        mStrikeOut->setChecked(f.strikeOut);
        mUnderline->setChecked(f.underline);
        int colour = mColour->findData(QVariant::fromValue(f.colour));
        if (colour < 0) {
            // A colour of its own stays on offer, so OK alone never changes it.
            mColour->addItem(swatch(shownColour(f.colour, palette())), QStringLiteral("カスタム"),
                             QVariant::fromValue(f.colour));
            colour = mColour->count() - 1;
        }
        mColour->setCurrentIndex(colour);
    }

    // Typing picks the first family the text begins; the text stays as typed.
    void findTypedName(const QString& text) {
        for (int i = 0; i < mNames->count(); ++i) {
            if (mNames->item(i)->text().startsWith(text, Qt::CaseInsensitive)) {
                const QSignalBlocker quiet(mNames);
                mNames->setCurrentRow(i);
                mNames->scrollToItem(mNames->item(i));
                return;
            }
        }
    }

    void refresh() {
        const bool sizeOk = mSize->hasAcceptableInput();
        mButtons->button(QDialogButtonBox::Ok)
            ->setEnabled(sizeOk && !mName->text().trimmed().isEmpty());
        const FontChoice f = chosen();
        if (QListWidgetItem* style = mStyles->currentItem()) {
            mStyle->setText(style->text());
        }
        QFont font(mName->text());
        font.setPointSize(sizeOk ? f.size : 9);
        font.setBold(f.bold);
        font.setItalic(f.italic);
        font.setUnderline(f.underline);
        font.setStrikeOut(f.strikeOut);
        mSample->setFont(font);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, shownColour(f.colour, palette()));
        mSample->setPalette(p);
    }

    FontChoice mInitial;
    QLineEdit* mName;
    QListWidget* mNames;
    QLineEdit* mStyle;
    QListWidget* mStyles;
    QLineEdit* mSize;
    QListWidget* mSizes;
    QCheckBox* mStrikeOut;
    QCheckBox* mUnderline;
    QComboBox* mColour;
    QLabel* mSample;
    QDialogButtonBox* mButtons;
};

} // namespace

std::optional<FontChoice> runFontDialog(QWidget* owner, const FontChoice& initial) {
    FontDialog dialog(owner, initial);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosen();
}

} // namespace tavrin
