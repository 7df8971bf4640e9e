#pragma once

#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace twl::fakes {

// What a named view of a layout is, as far as binding goes.
enum class WidgetKind {
    container,  // a plain panel: View, Box
    label,      // TextField, ImageView
    lineEdit,   // TextField; sends its action on Return
    button,     // Button; sends its action on click
    spinner,    // BusyIndicator
};

// One named view of a layout and the state the layout gives it.
struct LayoutView {
    WidgetKind kind = WidgetKind::container;
    std::string text;  // labels, fields and buttons
    bool startsHidden = false;
    bool hasLayer = false;
    std::optional<nlohmann::json> trackingUserInfo;
};

using LayoutViews = std::map<std::string, LayoutView, std::less<>>;

// The views the screens bind as outlets, by screen identifier, as the .ui
// files under resources/layouts have them (a test holds the two equal).
const std::map<std::string, LayoutViews, std::less<>>& storyboardLayouts();

}  // namespace twl::fakes
