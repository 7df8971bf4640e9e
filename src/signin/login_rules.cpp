#include "signin/login_rules.h"

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

}  // namespace twl
