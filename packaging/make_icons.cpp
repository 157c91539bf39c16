// Writes the program's icon as <folder>/<N>x<N>/apps/tavrin.png for each size given, the layout
// of the hicolor icon theme. Run at build time with QT_QPA_PLATFORM=offscreen.
// Usage: make_icons <folder> <size>...
#include "platform/qt/AppIcons.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_icons <folder> <size>...\n");
        return 2;
    }
    const QIcon icon = tavrin::appicons::application();
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        // A size the icon is not drawn at is scaled from the nearest, since the theme wants
        // each picture exactly as large as its folder says.
        QImage image = icon.pixmap(size, size).toImage();
        if (image.size() != QSize(size, size)) {
            image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (size <= 0 || !QDir().mkpath(folder) ||
            !image.save(folder + QStringLiteral("/tavrin.png"), "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
