#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace twl {

struct MouseEvent;

// The decisions of the login screen that need none of its views.

// The form's verdict before any request: "Please input username" for an empty
// user name (whatever the password), "Please input password" for an empty
// password, nothing when both are given. Blanks count as typed text.
std::optional<std::string> missingFieldMessage(std::string_view userName,
                                               std::string_view password);

// The user name as the account check receives it: every space becomes "%20";
// nothing else changes.
std::string escapeSpaces(std::string_view userName);

// The control a hover event is about: the value of the first entry of its
// tracking area's user info, when that value is a string. Nothing when the
// event has no tracking area, the user info is not a dictionary or is empty,
// or the value is of another type.
std::optional<std::string> trackedControlName(const MouseEvent& event);

}  // namespace twl
