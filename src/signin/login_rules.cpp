#include "signin/login_rules.h"

#include "platform/mouse_event.h"

namespace twl {

std::optional<std::string> missingFieldMessage(std::string_view userName,
                                               std::string_view password) {
    if (userName.empty()) {
        return "Please input username";
    }
    if (password.empty()) {
        return "Please input password";
    }
    return std::nullopt;
}

std::string escapeSpaces(std::string_view userName) {
    std::string escaped;
    escaped.reserve(userName.size());
    for (const char c : userName) {
        if (c == ' ') {
            escaped += "%20";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> trackedControlName(const MouseEvent& event) {
    if (!event.trackingArea) {
        return std::nullopt;
    }
    const nlohmann::json& userInfo = event.trackingArea->userInfo;
    if (!userInfo.is_object() || userInfo.empty()) {
        return std::nullopt;
    }
    const nlohmann::json& firstValue = userInfo.begin().value();
    if (!firstValue.is_string()) {
        return std::nullopt;
    }
    return firstValue.get<std::string>();
}

}  // namespace twl
