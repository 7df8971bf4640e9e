#pragma once

#include "platform/color.h"
#include "platform/font.h"

namespace twl::appearance {

// Shared by every screen, never changed.
inline constexpr Color placeholderColor = Color::fromRgb255(189, 189, 189);
inline const Font placeholderFont{"Helvetica Light", 14.0};
inline constexpr Color buttonHoverColor = Color::fromRgb255(56, 166, 217);
inline constexpr Color buttonNormalColor = Color::fromRgb255(38, 123, 162);

}  // namespace twl::appearance
