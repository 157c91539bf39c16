#include "platform/qt/DesktopIcons.h"

#include "platform/AppError.h"
#include "platform/IconExtract.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace tavrin {

namespace {

constexpr int kSize = 16;

std::optional<std::string> pngOf(const QPixmap& pixmap) {
    if (pixmap.isNull()) {
        return std::nullopt;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!pixmap.save(&buffer, "PNG")) {
        return std::nullopt;
    }
    return bytes.toStdString();
}

QIcon themed(std::initializer_list<const char*> names, QStyle::StandardPixmap standard) {
    for (const char* name : names) {
        QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
        if (!icon.isNull()) {
            return icon;
        }
    }
    return QApplication::style() ? QApplication::style()->standardIcon(standard) : QIcon();
}

} // namespace

std::optional<std::string> DesktopIcons::fileIcon(const std::string& path) {
    try {
        const std::optional<std::string> bytes = mFs.readFile(path);
        return bytes ? firstSmallIconAsIco(*bytes) : std::nullopt;
    } catch (const AppError&) {
        return std::nullopt; // a special file or a huge one has no icon to show
    }
}

std::optional<std::string> DesktopIcons::desktopIcon(Desktop kind, const std::string& path) {
    QIcon icon;
    switch (kind) {
    case Desktop::webAddress:
        icon = themed({"text-html", "internet-web-browser", "applications-internet"},
                      QStyle::SP_DriveNetIcon);
        break;
    case Desktop::folder:
        icon = themed({"folder"}, QStyle::SP_DirIcon);
        break;
    case Desktop::document: {
        const QString host = QFile::decodeName(QByteArray::fromStdString(mFs.toHostPath(path)));
        const QMimeType type = QMimeDatabase().mimeTypeForFile(host);
        icon = QIcon::fromTheme(type.iconName());
        if (icon.isNull()) {
            icon = themed({type.genericIconName().toLatin1().constData(), "text-x-generic"},
                          QStyle::SP_FileIcon);
        }
        break;
    }
    }
    return pngOf(icon.pixmap(kSize, kSize));
}

std::string DesktopIcons::fallbackIcon() {
    // A blank page with a folded corner, the picture Windows gives a file it knows nothing of.
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        const QPolygon page(
            {QPoint(2, 0), QPoint(10, 0), QPoint(13, 3), QPoint(13, 15), QPoint(2, 15)});
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.setBrush(Qt::white);
        p.drawPolygon(page);
        p.drawPolyline(QPolygon({QPoint(10, 0), QPoint(10, 3), QPoint(13, 3)}));
    }
    return pngOf(pixmap).value_or(std::string());
}

} // namespace tavrin
