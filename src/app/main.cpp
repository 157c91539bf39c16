#include "app/Main.h"
#include "app/AppIcons.h"
#include "app/LinuxServices.h"
#include "platform/AppError.h"
#include "platform/linux/QtText.h"

#include <QApplication>
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
        // The interface is Japanese, Qt's own buttons included.
        QTranslator qtJapanese;
        if (qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"),
                            QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QApplication::installTranslator(&qtJapanese);
        }

        tavrin::LinuxServices services;
        const std::string appFolder = services.windowsFolder(
            QFile::encodeName(QApplication::applicationDirPath()).toStdString());
        tavrin::TMainForm form(services.services(), appFolder);
        services.dialogs().setOwner(&form);
        form.show();
        app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Tavrin"),
                              tavrin::qs(tavrin::errorBoxText(e.what())));
    }
    return 0;
}
