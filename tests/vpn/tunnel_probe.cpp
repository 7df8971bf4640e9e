// Prints what the tunnel check sees in this process's network namespace:
// "true" or "false", then the interfaces that are up, in one line.
#include <iostream>

#include "app/app_context.h"
#include "platform/posix/interface_proxy_settings.h"
#include "vpn/tunnel_detection.h"

int main() {
    twl::InterfaceProxySettings proxy;
    twl::AppContext ctx(twl::Services{.proxySettings = &proxy}, twl::Endpoints{});
    std::cout << (twl::isVpnTunnelUp(ctx) ? "true" : "false");
    const auto settings = proxy.copySystemProxySettings();
    if (!settings) {
        std::cout << " unreadable\n";
        return 1;
    }
    for (const auto& entry : settings->at("__SCOPED__").items()) {
        std::cout << ' ' << entry.key();
    }
    std::cout << std::endl;
    return 0;
}
