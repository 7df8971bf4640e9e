#pragma once

#include <string>
#include <variant>

namespace twl {

// What the settings store keeps under a key: a string or a boolean, never
// converted from one to the other.
using SettingValue = std::variant<std::string, bool>;

}  // namespace twl
