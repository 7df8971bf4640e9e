#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "platform/http_transport.h"

namespace twl {

// How deeply arrays and objects may nest in JSON the client reads from outside
// (server replies, the settings file). Real replies nest two or three levels;
// a deeper text is refused before it is parsed, as copying or printing a value
// nested a hundred thousand levels deep would exhaust the stack.
inline constexpr std::size_t maxJsonDepth = 64;

// The value of `text`, or nothing and `error` set when it is not JSON (any
// value, fragments included) or nests deeper than `maxDepth`.
std::optional<nlohmann::json> readOutsideJson(std::string_view text, std::string& error,
                                              std::size_t maxDepth = maxJsonDepth);

// The transport's reply to a body that arrived whole: its value, or an error
// saying why it is not JSON.
JsonReply jsonReplyOf(std::string_view body);

}  // namespace twl
