#pragma once

#include <string>

namespace twl {

// A font by family name and size in points; the view falls back to a close
// family when the named one is not installed.
struct Font {
    std::string family;
    double pointSize = 0.0;

    friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace twl
