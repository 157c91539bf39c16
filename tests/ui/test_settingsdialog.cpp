#include "dialogs/SettingsDialogRules.h"
#include "dialogs/qt/AboutDialog.h"
#include "dialogs/qt/SettingsDialog.h"
#include "platform/Cp932.h"
#include "platform/qt/QtFontDialog.h"
#include "platform/qt/QtText.h"
#include "support/Fakes.h"
#include "support/Widgets.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolTip>
#include <QtTest>

#include <algorithm>
#include <functional>

using namespace tavrin;

namespace {

const std::string helpFile = "Z:\\opt\\tavrin\\Tavrin.hlp";

using test::box;
using test::click;
using test::control;
using test::edit;
using test::toggle;
using test::typeInto;

QScrollBar* bar(QWidget* f, const char* name) {
    return control<QScrollBar>(f, name);
}
QString labelText(QWidget* f, const char* name) {
    return control<QLabel>(f, name)->text();
}
void pick(QWidget* f, const char* radio) {
    toggle(control<QRadioButton>(f, radio));
}
void openPage(QWidget* f, int page) {
    QTabBar* tabs = control<QTabWidget>(f, "PageControl")->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
}
// The checked items of a radio group, by name.
QStringList checkedIn(QWidget* f, const char* group) {
    QStringList out;
    for (QRadioButton* r : control<QWidget>(f, group)->findChildren<QRadioButton*>()) {
        if (r->isChecked()) {
            out << r->objectName();
        }
    }
    return out;
}

// Files with a real picture, so the preview can be seen to fill.
class PictureIcons : public test::NamedIcons {
public:
    std::optional<std::string> fileIcon(const std::string& path) override {
        asked.push_back(path);
        if (std::ranges::count(files, path)) {
            return test::png(Qt::red);
        }
        return std::nullopt;
    }
};

struct Fakes : test::FakeServices {
    PictureIcons pictures;
};

bool previewShown(QWidget* f) {
    const QPixmap p = control<QLabel>(f, "ListIconImage")->pixmap();
    return !p.isNull();
}

UserSettings sampleRecord() {
    UserSettings r;
    r.basic = {true, false, true, 0, 1};
    r.list = {true, true, false, true, 0x00123456, {"C:\\a.ico", "C:\\b.exe"}};
    r.trial = {true, "C:\\Try\\"};
    r.search.searchFolder = "C:\\Games";
    r.bars.aplButtons[0] = {"C:\\x.exe", true};
    return r;
}

FontChoice sampleFont() {
    FontChoice f;
    f.name = sj("ＭＳ Ｐゴシック");
    f.size = 9;
    f.colour = 0x000000;
    return f;
}

// The font dialog's answer, opened from a dialog as the settings dialog opens it.
std::optional<FontChoice> fontDialogAnswer(const FontChoice& initial) {
    std::optional<FontChoice> got;
    test::insideADialog([&](QDialog* owner) { got = runFontDialog(owner, initial); });
    return got;
}

// Turns every control away from sampleRecord() and sampleFont().
void changeEverything(SettingsDialog* f) {
    openPage(f, 0);
    toggle(box(f, "Chk_Position"));
    pick(f, "StartSize_Window");
    pick(f, "Dblclick_Nothing");
    toggle(box(f, "Chk_GdiRenderer"));
    openPage(f, 1);
    toggle(box(f, "Chk_Rowselect"));
    toggle(box(f, "Chk_Gridline"));
    toggle(box(f, "Chk_Hottrack"));
    QTest::keyClick(bar(f, "SclBar_Red"), Qt::Key_End);
    QTest::keyClick(bar(f, "SclBar_Green"), Qt::Key_Home);
    QTest::keyClick(bar(f, "SclBar_Blue"), Qt::Key_Right);
    toggle(box(f, "Chk_Bgcolor"));
    typeInto(edit(f, "Ed_ListIconPath"), "D:\\new.ico");
    click(f, "Bt_ChangeFont");
    openPage(f, 2);
    edit(f, "Ed_TryPath")->setFocus();
    QTest::keyClicks(edit(f, "Ed_TryPath"), "Sub\\");
    toggle(box(f, "Chk_UseTry"));
}

} // namespace

class TestSettingForm : public QObject {
    Q_OBJECT

    UserSettings r;
    FontChoice font;

    // Opens the dialog on `r` and `font`, lets `act` work in it, and answers what editSettings did.
    bool edited(Fakes& fakes, std::function<void(SettingsDialog*)> act, QWidget* parent = nullptr) {
        SettingsDialog form({fakes.dialogs, fakes.fs, fakes.help, fakes.pictures}, helpFile,
                            parent);
        return test::whileShown(form, act, [&] { return form.editSettings(r, font); });
    }

private slots:
    void init() {
        r = sampleRecord();
        font = sampleFont();
    }

    void controlsShowTheRecordInTheirNearestStates() {
        struct Row {
            std::int32_t startSize, dblClick;
            QStringList startShown, dblShown;
            std::int32_t startStored, dblStored;
        };
        const QList<Row> rows = {
            {0, 1, {"StartSize_Full"}, {"Dblclick_GameStart"}, 0, 1},
            // A hand-edited file: past the end shows and stores the last item, below 0 none.
            {5, 7, {"StartSize_Window"}, {"Dblclick_Nothing"}, 1, 3},
            {-1, -5, {}, {}, -1, -1},
        };
        for (const Row& row : rows) {
            Fakes fakes;
            init();
            r.basic.startSize = row.startSize;
            r.basic.dblClick = row.dblClick;
            r.list.bgColor = 0x7FFFFFFF;
            const bool ok = edited(fakes, [&](SettingsDialog* f) {
                QCOMPARE(checkedIn(f, "RBox_StartSize"), row.startShown);
                QCOMPARE(checkedIn(f, "RBox_Dblclick"), row.dblShown);
                QCOMPARE(control<QTabWidget>(f, "PageControl")->currentIndex(), 2);
                QVERIFY(box(f, "Chk_Position")->isChecked());
                QVERIFY(box(f, "Chk_Rowselect")->isChecked());
                QVERIFY(box(f, "Chk_Gridline")->isChecked());
                QVERIFY(!box(f, "Chk_Hottrack")->isChecked());
                QVERIFY(box(f, "Chk_Bgcolor")->isChecked());
                for (const char* b : {"SclBar_Red", "SclBar_Green", "SclBar_Blue"}) {
                    QCOMPARE(bar(f, b)->value(), 255);
                    QCOMPARE(bar(f, b)->maximum(), 255);
                    QCOMPARE(bar(f, b)->pageStep(), 10);
                }
                for (const char* l : {"Label4", "Label5", "Label6"}) {
                    QCOMPARE(labelText(f, l), QString("255"));
                }
                auto* kind = control<QComboBox>(f, "Combo_KindOfIcon");
                QCOMPARE(kind->currentText(), QString::fromUtf8("RPGツクール2000"));
                QVERIFY(!kind->isEditable());
                QCOMPARE(edit(f, "Ed_ListIconPath")->text(), QString("C:\\a.ico"));
                QCOMPARE(labelText(f, "Lb_FontName"), QString::fromUtf8("ＭＳ Ｐゴシック"));
                QVERIFY(box(f, "Chk_UseTry")->isChecked());
                QVERIFY(edit(f, "Ed_TryPath")->isEnabled());
                QCOMPARE(edit(f, "Ed_TryPath")->text(), QString("C:\\Try\\"));
                click(f, "Bt_Ok");
            });
            QVERIFY(ok);
            QCOMPARE(r.basic.startSize, row.startStored);
            QCOMPARE(r.basic.dblClick, row.dblStored);
            // The system colour came in as 0x7FFFFFFF and leaves as plain white.
            QCOMPARE(r.list.bgColor, 0xFFFFFFu);
        }
    }

    void okStoresEveryControlAndTheFont() {
        Fakes fakes;
        FontChoice chosen{sj("Noto Sans CJK JP"), 14, 0x0000FF, true, false, true, false};
        fakes.dialogs.fonts = {chosen};
        const bool ok = edited(fakes, [](SettingsDialog* f) {
            changeEverything(f);
            click(f, "Bt_Ok");
        });
        QVERIFY(ok);
        QVERIFY(!r.basic.position);
        QCOMPARE(r.basic.startSize, 1);
        QCOMPARE(r.basic.dblClick, 3);
        QVERIFY(!r.basic.gdiRenderer);
        QVERIFY(!r.list.rowSelect);
        QVERIFY(!r.list.gridLines);
        QVERIFY(r.list.hotTrack);
        QVERIFY(!r.list.bgColorOn);
        // 0x123456 with red at the end, green at the start and blue one step on.
        QCOMPARE(r.list.bgColor, 0x1300FFu);
        QCOMPARE(r.list.listIconPath[0], std::string("D:\\new.ico"));
        QCOMPARE(r.list.listIconPath[1], std::string("C:\\b.exe"));
        QVERIFY(!r.trial.useTry);
        QCOMPARE(r.trial.tryPath, std::string("C:\\Try\\Sub\\"));
        QCOMPARE(font, chosen);
        QCOMPARE(fakes.dialogs.fontRequests, std::vector<FontChoice>{sampleFont()});
        // The groups the dialog does not own stay.
        QCOMPARE(r.search.searchFolder, std::string("C:\\Games"));
        QVERIFY(r.bars.aplButtons[0].shown);
        QVERIFY(fakes.help.shown.empty());
    }

    void cancelAndTheCloseBoxChangeNothing() {
        const QList<std::function<void(SettingsDialog*)>> ways = {
            [](SettingsDialog* f) { click(f, "Bt_Cansel"); },
            [](SettingsDialog* f) { f->close(); },
        };
        for (const auto& way : ways) {
            Fakes fakes;
            fakes.dialogs.fonts = {FontChoice{"Other", 20, 0xFF, true, true, true, true}};
            init();
            const bool ok = edited(fakes, [&](SettingsDialog* f) {
                changeEverything(f);
                QCOMPARE(labelText(f, "Lb_FontName"), QString("Other"));
                way(f);
            });
            QVERIFY(!ok);
            QVERIFY(r == sampleRecord());
            QCOMPARE(font, sampleFont());
        }
    }

    void clearedColourOptionDisablesTheBarsAndStillStoresTheColour() {
        Fakes fakes;
        const bool ok = edited(fakes, [](SettingsDialog* f) {
            openPage(f, 1);
            auto* sample = control<QWidget>(f, "Color_Sample");
            QVERIFY(sample->autoFillBackground());
            QCOMPARE(sample->palette().color(QPalette::Window), QColor(0x56, 0x34, 0x12));
            QTest::keyClick(bar(f, "SclBar_Green"), Qt::Key_Left);
            QCOMPARE(labelText(f, "Label5"), QString::number(0x33));
            QCOMPARE(sample->palette().color(QPalette::Window), QColor(0x56, 0x33, 0x12));

            toggle(box(f, "Chk_Bgcolor"));
            for (const char* name : {"Label1", "Label2", "Label3", "SclBar_Red", "SclBar_Green",
                                     "SclBar_Blue", "Label4", "Label5", "Label6"}) {
                QVERIFY2(!control<QWidget>(f, name)->isEnabled(), name);
            }
            QVERIFY(!sample->autoFillBackground());
            toggle(box(f, "Chk_Bgcolor"));
            QVERIFY(bar(f, "SclBar_Red")->isEnabled());
            QVERIFY(sample->autoFillBackground());
            toggle(box(f, "Chk_Bgcolor"));
            click(f, "Bt_Ok");
        });
        QVERIFY(ok);
        QVERIFY(!r.list.bgColorOn);
        QCOMPARE(r.list.bgColor, 0x123356u);
    }

    void eachIconKindKeepsItsOwnPathAndPreview() {
        Fakes fakes;
        fakes.fs.files = {
            {"C:\\a.ico", ""}, {"C:\\c.ico", ""}, {"C:\\xc.ico", ""}, {"C:\\b.exe", ""}};
        fakes.pictures.files = {"C:\\a.ico", "C:\\c.ico"};
        const bool ok = edited(fakes, [&](SettingsDialog* f) {
            openPage(f, 1);
            auto* kind = control<QComboBox>(f, "Combo_KindOfIcon");
            auto* path = edit(f, "Ed_ListIconPath");
            QVERIFY(previewShown(f));
            QTest::keyClick(kind, Qt::Key_Down);
            QCOMPARE(path->text(), QString("C:\\b.exe"));
            QVERIFY(!previewShown(f)); // a program without icons
            typeInto(path, "C:\\c.ico");
            QVERIFY(previewShown(f));
            // A path naming no file empties the preview and stays as typed.
            QTest::keyClick(path, Qt::Key_Backspace);
            QVERIFY(!previewShown(f));
            QCOMPARE(path->text(), QString("C:\\c.ic"));
            QTest::keyClick(path, Qt::Key_O);
            QVERIFY(previewShown(f));
            // Typing inside a path that names a file leaves the cursor where it was.
            QTest::keyClick(path, Qt::Key_Home);
            for (int i = 0; i < 3; ++i) {
                QTest::keyClick(path, Qt::Key_Right);
            }
            QTest::keyClicks(path, "x");
            QCOMPARE(path->cursorPosition(), 4);
            QTest::keyClick(path, Qt::Key_Backspace);
            QCOMPARE(path->text(), QString("C:\\c.ico"));
            QTest::keyClick(kind, Qt::Key_Up);
            QCOMPARE(path->text(), QString("C:\\a.ico"));
            QVERIFY(previewShown(f));
            QTest::keyClick(kind, Qt::Key_Down);
            QCOMPARE(path->text(), QString("C:\\c.ico"));
            click(f, "Bt_Ok");
        });
        QVERIFY(ok);
        const std::array<std::string, 2> paths = {"C:\\a.ico", "C:\\c.ico"};
        QCOMPARE(r.list.listIconPath, paths);
        // Only names of files that are there were asked for, after the opening one.
        for (const std::string& asked : fakes.pictures.asked) {
            QVERIFY2(fakes.fs.fileExists(asked), asked.c_str());
        }
    }

    void iconBrowserStartsInTheFieldsFolder() {
        Fakes fakes;
        fakes.fs.files = {{sj("D:\\アイコン\\x.ico"), ""}};
        fakes.pictures.files = {sj("D:\\アイコン\\x.ico")};
        fakes.dialogs.files = {sj("D:\\アイコン\\x.ico"), std::nullopt};
        r.list.listIconPath[0] = sj("C:\\ソフト\\表\\a.ico");
        const bool ok = edited(fakes, [](SettingsDialog* f) {
            openPage(f, 1);
            QVERIFY(!previewShown(f));
            click(f, "Bt_IconPathRef");
            QCOMPARE(edit(f, "Ed_ListIconPath")->text(), QString::fromUtf8("D:\\アイコン\\x.ico"));
            QVERIFY(previewShown(f));
            click(f, "Bt_IconPathRef");
            QCOMPARE(edit(f, "Ed_ListIconPath")->text(), QString::fromUtf8("D:\\アイコン\\x.ico"));
            click(f, "Bt_Ok");
        });
        QVERIFY(ok);
        QCOMPARE(r.list.listIconPath[0], sj("D:\\アイコン\\x.ico"));
        const auto& asked = fakes.dialogs.fileRequests;
        QCOMPARE(asked.size(), std::size_t(2));
        QCOMPARE(asked[0].filter, iconFileFilter());
        QCOMPARE(asked[0].initialFolder, sj("C:\\ソフト\\表\\"));
        QCOMPARE(asked[1].initialFolder, sj("D:\\アイコン\\"));
    }

    void trialFolderIsPickedAndSurvivesUnchecking() {
        Fakes fakes;
        fakes.dialogs.files = {std::string("C:\\RPG\\RPG2000T.exe"), std::nullopt};
        r.trial = {false, ""};
        const bool ok = edited(fakes, [](SettingsDialog* f) {
            for (const char* name : {"Label7", "Ed_TryPath", "Bt_Ref"}) {
                QVERIFY2(!control<QWidget>(f, name)->isEnabled(), name);
            }
            toggle(box(f, "Chk_UseTry"));
            for (const char* name : {"Label7", "Ed_TryPath", "Bt_Ref"}) {
                QVERIFY2(control<QWidget>(f, name)->isEnabled(), name);
            }
            click(f, "Bt_Ref");
            QCOMPARE(edit(f, "Ed_TryPath")->text(), QString("C:\\RPG\\"));
            click(f, "Bt_Ref"); // cancelled: the field keeps its folder
            QCOMPARE(edit(f, "Ed_TryPath")->text(), QString("C:\\RPG\\"));
            toggle(box(f, "Chk_UseTry"));
            QVERIFY(!edit(f, "Ed_TryPath")->isEnabled());
            QCOMPARE(edit(f, "Ed_TryPath")->text(), QString("C:\\RPG\\"));
            click(f, "Bt_Ok");
        });
        QVERIFY(ok);
        QVERIFY(!r.trial.useTry);
        QCOMPARE(r.trial.tryPath, std::string("C:\\RPG\\"));
        QCOMPARE(fakes.dialogs.fileRequests.size(), std::size_t(2));
        QCOMPARE(fakes.dialogs.fileRequests[0].filter, trialFileFilter());
    }

    void chosenFontShowsAtOnceAndACancelledChoiceKeepsIt() {
        Fakes fakes;
        const FontChoice chosen{"DejaVu Serif", 16, 0x0000FF, false, true, false, true};
        fakes.dialogs.fonts = {chosen, std::nullopt};
        const bool ok = edited(fakes, [&](SettingsDialog* f) {
            openPage(f, 1);
            auto* name = control<QLabel>(f, "Lb_FontName");
            click(f, "Bt_ChangeFont");
            QCOMPARE(name->text(), QString("DejaVu Serif"));
            QCOMPARE(name->font().family(), QString("DejaVu Serif"));
            QCOMPARE(name->font().pointSize(), 16);
            QVERIFY(name->font().italic());
            QVERIFY(name->font().strikeOut());
            QCOMPARE(name->palette().color(QPalette::WindowText), QColor(Qt::red));
            click(f, "Bt_ChangeFont");
            QCOMPARE(name->text(), QString("DejaVu Serif"));
            click(f, "Bt_Ok");
        });
        QVERIFY(ok);
        QCOMPARE(font, chosen);
        // The second dialog opened on the font chosen in the first.
        const std::vector<FontChoice> asked = {sampleFont(), chosen};
        QCOMPARE(fakes.dialogs.fontRequests, asked);
    }

    // A font too large for the sample's box, with a long name: drawn whole inside the box, and
    // the name shows in full where the mouse rests.
    void aLargeFontsSampleStaysInItsBox() {
        Fakes fakes;
        const QString name = QStringLiteral("Noto Sans CJK JP with a name longer than the box");
        fakes.dialogs.fonts = {FontChoice{name.toStdString(), 48, 0x000000, true}};
        edited(fakes, [&](SettingsDialog* f) {
            openPage(f, 1);
            click(f, "Bt_ChangeFont");
            auto* sample = control<QLabel>(f, "Lb_FontName");
            const QImage shot = sample->grab().toImage();
            const QRect box = sample->contentsRect();
            QRect ink;
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    if (QColor(shot.pixel(x, y)).lightness() < 96)
                        ink |= QRect(x, y, 1, 1);
            QVERIFY(!ink.isEmpty());
            QVERIFY2(ink.top() > box.top() && ink.bottom() < box.bottom() &&
                         ink.right() < box.right(),
                     "the sample is cut by its box");
            QToolTip::hideText();
            QTest::mouseMove(sample, box.center());
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), name);
            click(f, "Bt_Ok");
        });
    }

    void enterPressesOnlyTheFocusedButtonAndEscapeDoesNothing() {
        Fakes fakes;
        bool stillOpen = false;
        const bool ok = edited(fakes, [&](SettingsDialog* f) {
            for (const char* b : {"Bt_Ok", "Bt_Cansel"}) {
                QVERIFY(!control<QPushButton>(f, b)->isDefault());
            }
            auto* use = box(f, "Chk_UseTry");
            use->setFocus(Qt::TabFocusReason);
            QTest::keyClick(use, Qt::Key_Return);
            QTest::keyClick(use, Qt::Key_Enter);
            QTest::keyClick(use, Qt::Key_Escape);
            QTest::keyClick(edit(f, "Ed_TryPath"), Qt::Key_Return);
            stillOpen = f->isVisible() && f->result() == 0;
            auto* cancel = control<QPushButton>(f, "Bt_Cansel");
            cancel->setFocus(Qt::TabFocusReason);
            QTest::keyClick(cancel, Qt::Key_Return);
        });
        QVERIFY(stillOpen);
        QVERIFY(!ok);
        // And from OK as the focused button, it confirms.
        const bool confirmed = edited(fakes, [](SettingsDialog* f) {
            auto* okButton = control<QPushButton>(f, "Bt_Ok");
            okButton->setFocus(Qt::TabFocusReason);
            QTest::keyClick(okButton, Qt::Key_Return);
        });
        QVERIFY(confirmed);
    }

    void helpOpensTheActivePagesNumber() {
        Fakes fakes;
        edited(fakes, [](SettingsDialog* f) {
            click(f, "Bt_Help");
            openPage(f, 0);
            QTest::keyClick(f, Qt::Key_F1);
            openPage(f, 1);
            click(f, "Bt_Help");
            openPage(f, 2);
            QTest::keyClick(f, Qt::Key_F1);
            click(f, "Bt_Cansel");
        });
        const std::vector<std::pair<std::string, int>> expected = {
            {helpFile, 60}, {helpFile, 32}, {helpFile, 33}, {helpFile, 60}};
        QCOMPARE(fakes.help.shown, expected);
    }

    void shapeCaptionsAndPlace() {
        Fakes fakes;
        QWidget owner;
        owner.setGeometry(100, 120, 700, 500);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        edited(
            fakes,
            [&](SettingsDialog* f) {
                QCOMPARE(f->windowTitle(), QString::fromUtf8("環境設定"));
                QCOMPARE(f->size(), QSize(410, 403));
                QCOMPARE(f->minimumSize(), f->maximumSize());
                QCOMPARE(test::sharedAccessKeys(f).join(QStringLiteral(", ")), QString());
                const QPoint offset = f->geometry().center() - owner.geometry().center();
                QVERIFY2(offset.manhattanLength() < 40, "not centred on its owner");
                auto* pages = control<QTabWidget>(f, "PageControl");
                const QStringList titles = {pages->tabText(0), pages->tabText(1),
                                            pages->tabText(2)};
                QCOMPARE(
                    titles,
                    QString::fromUtf8("基本設定(&B)|リスト設定(&L)|体験版設定(&T)").split('|'));
                QCOMPARE(f->font().pixelSize(), 12);
                // Where the designed face is missing, a Japanese one the desktop has.
                QVERIFY(f->font().families().contains(QStringLiteral("Noto Sans CJK JP")));
                click(f, "Bt_Cansel");
            },
            &owner);
    }

    void aboutBoxShowsTheProgramAndItsLinkOpensThePage() {
        Fakes fakes;
        fakes.shell.result = Shell::kNoAssociation; // not looked at: the box closes anyway
        // Too long for the box: both ends stay, the whole path is in the tip.
        const QString folder = QStringLiteral("/home/someone/") + QString(80, 'x') +
                               QStringLiteral("/.config/Tavrin/");
        AboutDialog about(fakes.shell, folder);
        const int result = test::whileShown(
            about,
            [&](AboutDialog* f) {
                QCOMPARE(f->windowTitle(), QString::fromUtf8("バージョン情報"));
                QCOMPARE(f->size(), QSize(284, 201));
                QCOMPARE(f->minimumSize(), f->maximumSize());
                QCOMPARE(f->pos(), QPoint(347, 80));
                QCOMPARE(f->font().pixelSize(), 12);
                QCOMPARE(labelText(f, "Label1"), QString("Tavrin"));
                QVERIFY(control<QLabel>(f, "Label1")->font().bold());
                QCOMPARE(labelText(f, "Lab_ver"), QString("Ver 3.40 beta4"));
                QVERIFY(!control<QLabel>(f, "ExeIconImage")->pixmap().isNull());
                QVERIFY(control<QPushButton>(f, "Button1")->isDefault());
                auto* link = control<QLabel>(f, "Lab_Url");
                QVERIFY(link->font().underline());
                QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
                auto* where = control<QLabel>(f, "Lab_DataFolder");
                const QStringList lines = where->text().split('\n');
                QCOMPARE(lines.size(), 2);
                QCOMPARE(lines[0], QString::fromUtf8("データの保存先:"));
                QVERIFY(lines[1].startsWith(QStringLiteral("/home/someone/x")));
                QVERIFY(lines[1].endsWith(QStringLiteral("/Tavrin/")));
                QVERIFY(lines[1].contains(QChar(0x2026)));
                QVERIFY(where->fontMetrics().horizontalAdvance(lines[1]) <= where->width());
                QCOMPARE(where->toolTip(), folder);
                QVERIFY(fakes.shell.starts.empty());
                QTest::mouseClick(link, Qt::LeftButton);
            },
            [&] { return about.exec(); });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(fakes.shell.starts.size(), std::size_t(1));
        QCOMPARE(fakes.shell.starts[0].file, std::string("https://tavrin.example.org/"));
        QCOMPARE(fakes.shell.starts[0].parameters, std::string());
        QCOMPARE(fakes.shell.starts[0].directory, std::string());
    }

    void aboutBoxClosesWithEnter() {
        Fakes fakes;
        AboutDialog about(fakes.shell, QStringLiteral("/opt/tavrin/"));
        const int result = test::whileShown(
            about,
            [](AboutDialog* f) {
                QCOMPARE(control<QLabel>(f, "Lab_DataFolder")->text(),
                         QString::fromUtf8("データの保存先:\n/opt/tavrin/"));
                QTest::keyClick(f, Qt::Key_Return);
            },
            [&] { return about.exec(); });
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(fakes.shell.starts.empty());
    }

    // The real font dialog: what it opens with, and each effect reaching the answer.
    void fontDialogOffersNameStyleSizeAndEffects() {
        const FontChoice initial{"DejaVu Sans", 11, 0x000080, false, false, true, false};
        test::OnceShown<QDialog> person([&](QDialog* d) {
            auto* names = control<QListWidget>(d, "FontNameList");
            QCOMPARE(names->currentItem()->text(), QString("DejaVu Sans"));
            for (int i = 0; i < names->count(); ++i) {
                QVERIFY(!QFontDatabase::writingSystems(names->item(i)->text())
                             .contains(QFontDatabase::Symbol));
            }
            auto* colour = control<QComboBox>(d, "FontColour");
            QCOMPARE(colour->currentText(), QString::fromUtf8("栗色"));
            QCOMPARE(colour->count(), 16);
            QCOMPARE(control<QListWidget>(d, "FontStyleList")->currentRow(), 0);
            QCOMPARE(edit(d, "FontSize")->text(), QString("11"));
            QVERIFY(box(d, "FontUnderline")->isChecked());

            QTest::keyClick(colour, Qt::Key_Down); // 緑
            toggle(box(d, "FontStrikeOut"));
            toggle(box(d, "FontUnderline"));
            auto* styles = control<QListWidget>(d, "FontStyleList");
            QTest::mouseClick(styles->viewport(), Qt::LeftButton, {},
                              styles->visualItemRect(styles->item(3)).center());
            typeInto(edit(d, "FontSize"), "0");
            auto* ok = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            QVERIFY(!ok->isEnabled());
            typeInto(edit(d, "FontSize"), "200");
            typeInto(edit(d, "FontName"), "dejavu ser");
            QCOMPARE(names->currentItem()->text(), QString("DejaVu Serif"));
            QTest::mouseClick(names->viewport(), Qt::LeftButton, {},
                              names->visualItemRect(names->currentItem()).center());
            QCOMPARE(edit(d, "FontName")->text(), QString("DejaVu Serif"));
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        const std::optional<FontChoice> got = fontDialogAnswer(initial);
        QVERIFY(person.seen);
        const FontChoice expected{"DejaVu Serif", 200, 0x008000, true, true, false, true};
        QVERIFY(got.has_value());
        QCOMPARE(*got, expected);
    }

    void fontDialogKeepsAColourOfItsOwnAndCancels() {
        const FontChoice initial{"DejaVu Sans", 9, 0x80000008, true, true, false, false};
        for (bool confirm : {true, false}) {
            test::OnceShown<QDialog> person([&](QDialog* d) {
                auto* colour = control<QComboBox>(d, "FontColour");
                QCOMPARE(colour->count(), 17);
                QCOMPARE(colour->currentText(), QString::fromUtf8("カスタム"));
                QCOMPARE(control<QListWidget>(d, "FontStyleList")->currentRow(), 3);
                auto* buttons = d->findChild<QDialogButtonBox*>();
                QTest::mouseClick(
                    buttons->button(confirm ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
                    Qt::LeftButton);
            });
            const std::optional<FontChoice> got = fontDialogAnswer(initial);
            QVERIFY(person.seen);
            if (confirm) {
                QVERIFY(got.has_value());
                QCOMPARE(*got, initial);
            } else {
                QVERIFY(!got.has_value());
            }
        }
    }
};

QTEST_MAIN(TestSettingForm)
#include "test_settingsdialog.moc"
