#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string>
#include <string_view>

#include "platform/color.h"
#include "platform/font.h"

namespace twl {

QColor toQColor(const Color& color);
Color fromQColor(const QColor& color);

// "Helvetica Light" and the like become the family with a light weight, so
// fontconfig can pick the nearest installed face: where the family is absent,
// that weight of the system's sans. A point of the client's sizes is one
// screen pixel (a device-independent one where the screen is scaled).
QFont toQFont(const Font& font);
Font fromQFont(const QFont& font);

QString toQString(std::string_view text);
std::string fromQString(const QString& text);

}  // namespace twl
