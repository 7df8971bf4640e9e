#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace twl {

class AppContext;

// The longest a public-IP look-up may take.
inline constexpr std::chrono::milliseconds publicIpBound{5000};
inline constexpr std::string_view publicIpPath = "/tools/getpublicip.php";

using PublicIpCompletion = std::function<void(const std::string&)>;

// Asks for the machine's public address and returns at once. The completion
// runs later, on the run loop, with the address as the public-IP service
// reports it, blanks and tabs trimmed from both ends (line breaks kept); on
// failure with "", once "Error: " and the reason are on the console. It comes
// within publicIpBound.
void lookUpPublicIp(AppContext& ctx, PublicIpCompletion completion);

}  // namespace twl
