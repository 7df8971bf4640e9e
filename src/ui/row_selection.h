#pragma once

#include <optional>

#include "ui/color.h"
#include "ui/geometry.h"

namespace twl {

// The light blue behind a selected row.
inline constexpr Color selectedRowColor = Color::fromRgb255(203, 232, 246);

// What a row adds to the base drawing of its dirty rect: a selected row fills
// exactly that rect with selectedRowColor (so a partial redraw fills only the
// redrawn part); an unselected row adds nothing.
std::optional<Rect> selectedRowFill(bool isSelected, const Rect& dirtyRect);

}  // namespace twl
