#include "vpn/tunnel_detection.h"

#include "app/app_context.h"
#include "platform/proxy_settings.h"

namespace twl {

bool isVpnTunnelUp(AppContext& ctx) {
    return isInterfaceListed(ctx, tunnelInterfaceName);
}

bool isInterfaceListed(AppContext& ctx, std::string_view name) {
    const auto settings = ctx.proxySettings().copySystemProxySettings();
    if (!settings || !settings->is_object()) {
        return false;
    }
    const auto scoped = settings->find("__SCOPED__");
    if (scoped == settings->end() || !scoped->is_object()) {
        return false;
    }
    // In the order the dictionary lists them; the first match ends the search.
    for (auto entry = scoped->begin(); entry != scoped->end(); ++entry) {
        if (entry.key() == name) {
            return true;
        }
    }
    return false;
}

}  // namespace twl
