#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace twl {

class AppContext;

// The longest the public-IP lookup may hold the window.
inline constexpr std::chrono::milliseconds publicIpBound{5000};
inline constexpr std::string_view publicIpPath = "/tools/getpublicip.php";

// The machine's public address as the public-IP service reports it, with blanks
// and tabs trimmed from both ends (line breaks kept). On failure writes
// "Error: " and the reason to the console and returns "". Blocks for at most
// publicIpBound.
std::string publicIpAddress(AppContext& ctx);

}  // namespace twl
