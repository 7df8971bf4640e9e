#pragma once

#include <nlohmann/json.hpp>
#include <optional>

namespace twl {

// The region of a view whose pointer enter and exit events reach its screen,
// with the user info its layout gave it (a JSON object, or null for none).
struct TrackingArea {
    nlohmann::json userInfo;
};

// A pointer event that a tracking area delivered to a screen.
struct MouseEvent {
    std::optional<TrackingArea> trackingArea;
};

}  // namespace twl
