#pragma once

namespace twl {

// A width and height in points.
struct Size {
    double width = 0.0;
    double height = 0.0;

    friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle in points: origin at the top-left corner, y growing downwards.
struct Rect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    friend bool operator==(const Rect&, const Rect&) = default;

    // The rect shrunk by dx on the left and right and by dy on the top and bottom
    // (negative values grow it).
    constexpr Rect insetBy(double dx, double dy) const {
        return Rect{x + dx, y + dy, width - 2.0 * dx, height - 2.0 * dy};
    }
};

}  // namespace twl
