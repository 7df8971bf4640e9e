#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace twl {

// The decisions of the login screen that need none of its views.

// The form's verdict before any request: "Please input username" for an empty
// user name (whatever the password), "Please input password" for an empty
// password, nothing when both are given. Blanks count as typed text.
std::optional<std::string> missingFieldMessage(std::string_view userName,
                                               std::string_view password);

// The user name as the account check receives it: every space becomes "%20";
// nothing else changes.
std::string escapeSpaces(std::string_view userName);

}  // namespace twl
