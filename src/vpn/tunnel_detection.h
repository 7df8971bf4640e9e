#pragma once

#include <string_view>

namespace twl {

class AppContext;

// The point-to-point interface the tunnel comes up as.
inline constexpr std::string_view tunnelInterfaceName = "ppp0";

// True when the system's proxy settings list "ppp0" (exactly, case-sensitive)
// among the interfaces under "__SCOPED__". Missing settings, a missing or
// malformed "__SCOPED__" entry, or an empty one answer false.
bool isVpnTunnelUp(AppContext& ctx);
// The same for any interface: the tunnel NetworkManager named.
bool isInterfaceListed(AppContext& ctx, std::string_view name);

}  // namespace twl
