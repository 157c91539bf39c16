// A Wine prefix made before a start, with the real shell and a wineboot stand-in that takes a
// moment: a start asked for again waits once, the progress comes back after a cancel, and what
// the new prefix holds is read.
#include "platform/linux/LinuxFileSystem.h"
#include "platform/qt/LinuxShell.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

using namespace tavrin;

class TestPrefix : public QObject {
    Q_OBJECT
private slots:
    void startsWaitOnceAndTheNewDrivesAreRead();
};

namespace {

QProgressDialog* shownProgress() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible())
            return p;
    return nullptr;
}

} // namespace

void TestPrefix::startsWaitOnceAndTheNewDrivesAreRead() {
    test::TempFolder tmp("tavrin-prefix");
    const std::string bin = tmp.path() + "/bin";
    test::writeHostFile(bin + "/wine",
                        "#!/bin/sh\nPATH=/usr/bin:/bin\nsleep 1\n"
                        "mkdir -p \"$WINEPREFIX/dosdevices\" \"$WINEPREFIX/drive_d\"\n"
                        "ln -s ../drive_d \"$WINEPREFIX/dosdevices/d:\"\n"
                        ": > \"$WINEPREFIX/system.reg\"\n",
                        true);
    test::writeHostFile(bin + "/wineserver", "#!/bin/sh\n", true);
    const std::string path = bin + ":/usr/bin:/bin";
    test::ScopedEnv pathEnv("PATH", path.c_str());
    const std::string first = tmp.path() + "/first";
    test::ScopedEnv prefix("WINEPREFIX", first.c_str());
    LinuxFileSystem fs{DriveTable({{'C', tmp.path()}})};
    test::ScriptedDialogs dialogs;
    LinuxShell shell(fs, dialogs);

    std::string ran;
    shell.whenPrepared([&] { ran += "A"; }, "C:\\G\\");
    shell.whenPrepared([&] { ran += "B"; }, "C:\\G\\");
    shell.whenPrepared([&] { ran += "C"; }, "C:\\H\\");
    QVERIFY(shownProgress());
    QVERIFY(fs.toHostPath("D:\\x").empty());
    QTRY_VERIFY_WITH_TIMEOUT(!ran.empty(), 10000);
    QCOMPARE(ran, std::string("BC"));
    QCOMPARE(fs.toHostPath("D:\\x"), first + "/drive_d/x");

    // A cancel drops what waited; a new start shows the progress again and waits for it.
    const std::string second = tmp.path() + "/second";
    test::ScopedEnv again("WINEPREFIX", second.c_str());
    ran.clear();
    shell.whenPrepared([&] { ran += "D"; }, "C:\\G\\");
    QProgressDialog* progress = shownProgress();
    QVERIFY(progress);
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    QVERIFY(!shownProgress());
    shell.whenPrepared([&] { ran += "E"; }, "C:\\G\\");
    QVERIFY(shownProgress());
    QTRY_VERIFY_WITH_TIMEOUT(!ran.empty(), 10000);
    QCOMPARE(ran, std::string("E"));
    QVERIFY(dialogs.shown.empty());
}

QTEST_MAIN(TestPrefix)
#include "test_prefix.moc"
