#include "platform/linux/QtText.h"

#include "platform/Cp932.h"

namespace tavrin {

QString qs(const std::string& cp932) {
    return QString::fromStdString(cp932::toUtf8(cp932));
}

std::string toCp932(const QString& text) {
    return cp932::fromUtf8(text.toStdString());
}

} // namespace tavrin
