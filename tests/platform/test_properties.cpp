#include "platform/Cp932.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/qt/LinuxShell.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QtTest>

#include <filesystem>

using namespace tavrin;
namespace fs = std::filesystem;

namespace {

// The desktop's file manager, answering only when the test says.
class FakeFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QDBusMessage> calls;
    QStringList uris;

public slots:
    void ShowItemProperties(const QStringList& items, const QString&) {
        setDelayedReply(true);
        calls.append(message());
        uris += items;
    }
};

} // namespace

// Run on a session bus of its own (dbus-run-session): the properties are asked for without
// waiting, and the folder opens only when the file manager failed or never answered.
class TestProperties : public QObject {
    Q_OBJECT

    test::TempFolder mTemp{"tavrin-properties"};
    std::string mDrive = mTemp / "drive";
    LinuxFileSystem mFs{DriveTable({{'C', mDrive}})};
    test::ScriptedDialogs mDialogs;
    test::ScopedEnv mPath{"PATH", (mTemp / "bin").c_str()};
    FakeFileManager mManager;
    QDBusConnection mBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("file-manager"));
    std::string mOpened = mTemp / "opened.txt";

    // The folders xdg-open was asked to open, one a line.
    QStringList opened() const {
        return QString::fromStdString(fs::exists(mOpened) ? test::readHostFile(mOpened) : "")
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        QVERIFY2(mBus.isConnected(), "no session bus: run under dbus-run-session");
        QVERIFY(mBus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &mManager,
                                    QDBusConnection::ExportAllSlots));
        QVERIFY(mBus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        test::writeHostFile(mTemp / "bin/xdg-open",
                            "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + mOpened + "'\n", true);
        fs::create_directories(mDrive + "/Hero");
    }

    void init() {
        mManager.calls.clear();
        mManager.uris.clear();
        fs::remove(mOpened);
    }

    void anAnswerOpensNothingElse() {
        LinuxShell shell(mFs, mDialogs);
        shell.showProperties("C:\\Hero\\");
        // Returned before the file manager even heard of it: the window never waits.
        QCOMPARE(mManager.calls.size(), 0);
        QTRY_COMPARE(mManager.calls.size(), 1);
        QCOMPARE(mManager.uris,
                 QStringList{QStringLiteral("file://") + QString::fromStdString(mDrive) +
                             QStringLiteral("/Hero/")});
        mBus.send(mManager.calls[0].createReply());
        QTest::qWait(300);
        QCOMPARE(opened(), QStringList());
    }

    void aFailureOpensTheFolder() {
        LinuxShell shell(mFs, mDialogs);
        shell.showProperties("C:\\Hero\\");
        QTRY_COMPARE(mManager.calls.size(), 1);
        mBus.send(mManager.calls[0].createErrorReply(QDBusError::Failed, QStringLiteral("no")));
        QTRY_COMPARE(opened(),
                     QStringList{QString::fromStdString(mDrive) + QStringLiteral("/Hero/")});
    }

    // No answer in time opens the folder once; the answer that comes late opens nothing more.
    void noAnswerOpensTheFolderOnce() {
        LinuxShell shell(mFs, mDialogs);
        shell.showProperties("C:\\Hero\\");
        QTRY_COMPARE(mManager.calls.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(opened().size(), 1, 10000);
        mBus.send(mManager.calls[0].createReply());
        QTest::qWait(300);
        QCOMPARE(opened().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestProperties)
#include "test_properties.moc"
