#include "app/LinuxServices.h"
#include "app/Main.h"
#include "app/core/CommandGuard.h"
#include "app/core/ProgramFolder.h"
#include "app/core/Workspace.h"
#include "platform/AppError.h"
#include "platform/qt/AccessKeys.h"
#include "platform/qt/AppIcons.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <exception>
#include <memory>
#include <optional>
#include <string>

int main(int argc, char* argv[]) {
    // The program's folder is settled before Qt starts, so that a large catalogue is read while
    // Qt starts. A fault is shown once Qt can show it.
    std::optional<std::string> hostFolder;
    std::exception_ptr folderFault;
    std::optional<tavrin::CatalogueReadAhead> readAhead;
    try {
        if (const auto exeFolder = tavrin::programfolder::executableFolder()) {
            hostFolder = tavrin::programfolder::prepare(*exeFolder);
            auto fs = std::make_shared<tavrin::LinuxFileSystem>(
                tavrin::LinuxServices::ownDrive(*hostFolder));
            readAhead.emplace(fs, std::string(tavrin::kOwnFolder) + "data.ixo");
        }
    } catch (...) {
        folderFault = std::current_exception();
    }

    QApplication app(argc, argv);
    // Every picture the program reads comes from a game folder anyone may have made; none of
    // kLargestPictureSide squared in 32 bits needs more.
    QImageReader::setAllocationLimit(64);
    tavrin::ImmediateAccessKeys accessKeys;
    app.installEventFilter(&accessKeys);
    try {
        QApplication::setApplicationName(QStringLiteral("Tavrin"));
        QApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
        // Wayland desktops find the menu entry and its icon by this name.
        QApplication::setDesktopFileName(QStringLiteral("tavrin"));
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
        if (folderFault) {
            std::rethrow_exception(folderFault);
        }
        if (!hostFolder) {
            hostFolder = tavrin::programfolder::prepare(QFile::encodeName(exeFolder).toStdString());
        }
        tavrin::LinuxServices services(*hostFolder);
        tavrin::Workspace workspace(services.services(), tavrin::kOwnFolder);
        tavrin::TMainForm form(workspace, services.services(),
                               QFile::decodeName(QByteArray::fromStdString(*hostFolder)));
        services.dialogs().setOwner(&form);
        tavrin::runGuarded(services.services().dialogs,
                           [&] { workspace.open(readAhead ? &*readAhead : nullptr); });
        // A second copy has said so; it ends writing nothing.
        if (workspace.isSecondCopy()) {
            return 0;
        }
        form.showOpenedWorkspace();
        form.show();
        app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Tavrin"),
                              tavrin::qs(tavrin::errorBoxText(e.what())));
    }
    return 0;
}
