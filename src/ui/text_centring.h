#pragma once

#include "ui/geometry.h"

namespace twl {

// Where a single-line field puts its text: the title rect's horizontal extent,
// the content's own height, centred vertically on the title rect. Editing,
// selecting and drawing all use this rect, so the text does not move when an
// edit starts or ends. Content taller than the title rect reaches beyond it by
// the same amount above and below; nothing is clamped.
Rect centredTextRect(const Rect& titleRect, const Size& contentSize);

}  // namespace twl
