#pragma once

#include <optional>
#include <string>

#include "platform/color.h"
#include "platform/font.h"

namespace twl {

// A text with the two attributes the screens give placeholders: foreground
// colour and font. An attribute left empty takes the field's own.
struct AttributedString {
    std::string string;
    std::optional<Color> foregroundColor;
    std::optional<Font> font;

    friend bool operator==(const AttributedString&, const AttributedString&) = default;
};

}  // namespace twl
