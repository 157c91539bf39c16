#include "platform/qt/QtClipboard.h"

#include "platform/qt/QtText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace tavrin {

const char* const QtClipboard::kItemFormat = "Tavrin ItemData";

bool QtClipboard::hasItemData() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(QString::fromLatin1(kItemFormat));
}

bool QtClipboard::setItemData(const std::string& itemData, const std::string& plainText) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        return false;
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kItemFormat),
                  QByteArray(itemData.data(), static_cast<qsizetype>(itemData.size())));
    data->setText(qs(plainText));
    clipboard->setMimeData(data);
    return true;
}

Clipboard::Read QtClipboard::itemData(std::string& out) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(QString::fromLatin1(kItemFormat))) {
        return Read::absent;
    }
    const QByteArray bytes = data->data(QString::fromLatin1(kItemFormat));
    // The format is offered but its owner gave nothing: it could not be read now.
    if (bytes.isEmpty()) {
        return Read::cannotOpen;
    }
    out = bytes.toStdString();
    return Read::ok;
}

} // namespace tavrin
