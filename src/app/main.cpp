#include "app/Main.h"
#include "app/AppIcons.h"
#include "app/LinuxServices.h"
#include "app/ProgramFolder.h"
#include "platform/AppError.h"
#include "platform/linux/QtText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <exception>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    try {
        QApplication::setApplicationName(QStringLiteral("Tavrin"));
        QApplication::setApplicationDisplayName(QString());
        QApplication::setWindowIcon(tavrin::appicons::application());
        const QString exeFolder = QApplication::applicationDirPath();
        // The interface is Japanese, Qt's own buttons included. An installed copy brings its
        // own translation, since Qt's translations are a package of their own.
        QTranslator qtJapanese;
        for (const QString& folder : {exeFolder + QStringLiteral("/../share/tavrin/translations"),
                                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
            if (qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"),
                                QStringLiteral("_"), QDir::cleanPath(folder))) {
                QApplication::installTranslator(&qtJapanese);
                break;
            }
        }

        // Before any service, so a folder that cannot be made leaves everything untouched.
        const std::string hostFolder =
            tavrin::programfolder::prepare(QFile::encodeName(exeFolder).toStdString());
        tavrin::LinuxServices services;
        const std::string appFolder = services.windowsFolder(hostFolder);
        tavrin::TMainForm form(services.services(), appFolder);
        form.setHostFolder(QFile::decodeName(QByteArray::fromStdString(hostFolder)));
        services.dialogs().setOwner(&form);
        form.show();
        app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Tavrin"),
                              tavrin::qs(tavrin::errorBoxText(e.what())));
    }
    return 0;
}
