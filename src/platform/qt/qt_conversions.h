#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace twl {

QString toQString(std::string_view text);
std::string fromQString(const QString& text);

}  // namespace twl
