#include "ui/row_selection.h"

namespace twl {

std::optional<Rect> selectedRowFill(bool isSelected, const Rect& dirtyRect) {
    if (!isSelected) {
        return std::nullopt;
    }
    return dirtyRect;
}

}  // namespace twl
