#include "platform/linux/QtClipboard.h"

#include "platform/linux/QtText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace tavrin {

const char* const QtClipboard::kItemFormat = "Tavrin ItemData";

bool QtClipboard::hasItemData() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(QString::fromLatin1(kItemFormat));
}

void QtClipboard::setItemData(const std::string& itemData, const std::string& plainText) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kItemFormat),
                  QByteArray(itemData.data(), static_cast<qsizetype>(itemData.size())));
    data->setText(qs(plainText));
    QGuiApplication::clipboard()->setMimeData(data);
}

std::optional<std::string> QtClipboard::itemData() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(QString::fromLatin1(kItemFormat))) {
        return std::nullopt;
    }
    return data->data(QString::fromLatin1(kItemFormat)).toStdString();
}

} // namespace tavrin
