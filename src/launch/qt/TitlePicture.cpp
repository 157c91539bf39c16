#include "launch/qt/TitlePicture.h"

#include "launch/GameFiles.h"
#include "platform/qt/QtText.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <optional>

namespace tavrin {

namespace {

QImage fromPicture(const gamefiles::Picture& p) {
    if (p.width <= 0 || p.height <= 0 || p.width > gamefiles::kLargestPictureSide ||
        p.height > gamefiles::kLargestPictureSide ||
        p.rgb.size() != static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height)) {
        return {};
    }
    QImage image(p.width, p.height, QImage::Format_RGB32);
    for (int y = 0; y < p.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < p.width; ++x) {
            line[x] = 0xFF000000u | p.rgb[static_cast<std::size_t>(y) * p.width + x];
        }
    }
    return image;
}

} // namespace

QImage decodeTitlePicture(const std::string& bytes, details::PictureFormat format, QString& note) {
    if (format == details::PictureFormat::xyz) {
        const std::optional<gamefiles::Picture> p = gamefiles::decodeXyz(bytes);
        return p ? fromPicture(*p) : QImage();
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray kind = reader.format();
    if (kind != "png" && kind != "bmp") {
        return {};
    }
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > gamefiles::kLargestPictureSide ||
        size.height() > gamefiles::kLargestPictureSide) {
        note = qs(details::oversizedPictureLine());
        return {};
    }
    QImage image;
    if (!reader.read(&image)) {
        return {};
    }
    return image;
}

} // namespace tavrin
