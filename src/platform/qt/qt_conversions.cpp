#include "platform/qt/qt_conversions.h"

namespace twl {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQString(const QString& text) {
    return text.toStdString();
}

}  // namespace twl
