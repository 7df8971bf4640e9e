#include "ui/text_centring.h"

namespace twl {

Rect centredTextRect(const Rect& titleRect, const Size& contentSize) {
    return Rect{titleRect.x, titleRect.y + (titleRect.height - contentSize.height) * 0.5,
                titleRect.width, contentSize.height};
}

}  // namespace twl
