#include "app/Main.h"
#include "app/core/Workspace.h"
#include "catalogue/ListCommands.h"
#include "platform/Cp932.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtText.h"
#include "support/Fakes.h"
#include "support/Widgets.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace tavrin;

namespace {

using Answer = test::OnceShown<QMessageBox>;

void click(QMessageBox* box, QMessageBox::StandardButton which) {
    QAbstractButton* b = box->button(which);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void everyButtonAnswersAsItself() {
        struct Row {
            MsgButtons buttons;
            QMessageBox::StandardButton clicked;
            MsgResult expected;
        };
        const QList<Row> rows = {
            {MsgButtons::ok, QMessageBox::Ok, MsgResult::ok},
            {MsgButtons::okCancel, QMessageBox::Ok, MsgResult::ok},
            {MsgButtons::okCancel, QMessageBox::Cancel, MsgResult::cancel},
            {MsgButtons::yesNo, QMessageBox::Yes, MsgResult::yes},
            {MsgButtons::yesNo, QMessageBox::No, MsgResult::no},
            {MsgButtons::yesNoCancel, QMessageBox::Yes, MsgResult::yes},
            {MsgButtons::yesNoCancel, QMessageBox::No, MsgResult::no},
            {MsgButtons::yesNoCancel, QMessageBox::Cancel, MsgResult::cancel},
        };
        QtDialogs dialogs;
        for (const Row& r : rows) {
            Answer answer([&](QMessageBox* box) { click(box, r.clicked); });
            const MsgResult got =
                dialogs.messageBox("text", "caption", MsgIcon::warning, r.buttons, r.expected);
            QVERIFY(answer.seen);
            QCOMPARE(got, r.expected);
        }
    }

    void escapeAnswersAsTheCloseBox() {
        const QList<std::pair<MsgButtons, MsgResult>> rows = {
            {MsgButtons::ok, MsgResult::ok},
            {MsgButtons::okCancel, MsgResult::cancel},
            {MsgButtons::yesNo, MsgResult::no},
            {MsgButtons::yesNoCancel, MsgResult::cancel},
        };
        QtDialogs dialogs;
        for (const auto& [buttons, expected] : rows) {
            Answer answer([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
            // The default is not the answer Esc must give, so a box that returns it is caught.
            const MsgResult def = buttons == MsgButtons::ok ? MsgResult::ok : MsgResult::yes;
            QCOMPARE(dialogs.messageBox("t", "c", MsgIcon::none, buttons, def), expected);
            QVERIFY(answer.seen);
        }
    }

    void textsAndDefaultButtonReachTheBox() {
        QtDialogs dialogs;
        QString text, caption;
        bool noIsDefault = false;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Answer answer([&](QMessageBox* box) {
            text = box->text();
            caption = box->windowTitle();
            icon = box->icon();
            noIsDefault =
                static_cast<QAbstractButton*>(box->defaultButton()) == box->button(QMessageBox::No);
            QTest::keyClick(box, Qt::Key_Return);
        });
        const MsgResult got =
            dialogs.messageBox(sj("よろしいですか？\n"), sj("確認"), MsgIcon::warning,
                               MsgButtons::yesNo, MsgResult::no);
        QCOMPARE(text, QStringLiteral("よろしいですか？\n"));
        QCOMPARE(caption, QStringLiteral("確認"));
        QCOMPARE(icon, QMessageBox::Warning);
        QVERIFY(noIsDefault);
        QCOMPARE(got, MsgResult::no);
    }

    // Japanese may break between any two characters; a question that fits the screen keeps each
    // of its lines whole.
    void linesThatFitAreNotBroken() {
        QtDialogs dialogs;
        int shownLines = 0;
        Answer answer([&](QMessageBox* box) {
            const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            shownLines = label->contentsRect().height() / label->fontMetrics().lineSpacing();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        dialogs.messageBox(deleteFolderQuestion(sj("ゲーム制作の資料と素材")), sj("確認"),
                           MsgIcon::warning, MsgButtons::yesNo, MsgResult::no);
        QVERIFY(answer.seen);
        QCOMPARE(shownLines, 3); // the text ends in a line break
    }

    // A name of thousands of characters is cut in its middle: the box fits the screen, its
    // button can be reached, and the whole text is in its details.
    void longNamesKeepTheBoxOnTheScreen() {
        QtDialogs dialogs;
        const std::string name = "C:\\" + std::string(3000, 'a') + "\\end";
        QSize size;
        QString text, details;
        Answer answer([&](QMessageBox* box) {
            size = box->sizeHint();
            text = box->text();
            details = box->detailedText();
            QTest::keyClick(box, Qt::Key_Return);
        });
        dialogs.messageBox(name + sj(" を作成できません"), "Tavrin", MsgIcon::error, MsgButtons::ok,
                           MsgResult::ok);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(size.height() <= screen.height());
        QVERIFY(size.width() <= screen.width());
        QVERIFY(text.startsWith(QStringLiteral("C:\\aaa")));
        QVERIFY(text.contains(QStringLiteral("…")));
        QVERIFY(text.endsWith(QStringLiteral("\\end を作成できません")));
        QCOMPARE(details, qs(name + sj(" を作成できません")));
    }

    // The open box's name field starts with the name asked for, a wildcard too.
    void openBoxStartsWithTheNameAskedFor() {
        QtDialogs dialogs;
        for (const char* name : {"*.exe", "RPG2000.exe"}) {
            QString shown;
            test::OnceShown<QFileDialog> person([&](QFileDialog* box) {
                shown = box->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                box->reject();
            });
            QVERIFY(!dialogs.openFile({name, "EXE (*.exe)|*.exe", ""}));
            QVERIFY(person.seen);
            QCOMPARE(shown, QString::fromLatin1(name));
        }
    }

    // A second copy says so while its window is still being built: the box belongs to it.
    void startUpMessagesBelongToTheMainWindow() {
        test::FakeServices fakes;
        fakes.marker.otherHolds = true;
        QtDialogs dialogs;
        Services services{fakes.fs,    dialogs,        fakes.marker, fakes.clipboard, fakes.help,
                          fakes.shell, fakes.registry, fakes.icons,  fakes.fs};
        QWidget* owner = nullptr;
        QString text;
        Answer answer([&](QMessageBox* box) {
            owner = box->parentWidget();
            text = box->text();
            click(box, QMessageBox::Ok);
        });
        Workspace workspace(services, "Z:\\app\\");
        TMainForm form(workspace, services);
        workspace.open();
        QVERIFY(answer.seen);
        QCOMPARE(text, QStringLiteral("既に起動しています。"));
        QCOMPARE(owner, static_cast<QWidget*>(&form));
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
