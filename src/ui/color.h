#pragma once

namespace twl {

// An sRGB colour with components from 0 to 1.
struct Color {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;

    friend bool operator==(const Color&, const Color&) = default;

    static constexpr Color fromRgb255(int r, int g, int b) {
        return Color{r / 255.0, g / 255.0, b / 255.0, 1.0};
    }
};

namespace colors {
inline constexpr Color white{1.0, 1.0, 1.0, 1.0};
inline constexpr Color black{0.0, 0.0, 0.0, 1.0};
inline constexpr Color red{1.0, 0.0, 0.0, 1.0};
inline constexpr Color gray{0.5, 0.5, 0.5, 1.0};
}  // namespace colors

}  // namespace twl
