#include "vpn/tunnel_detection.h"

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "fakes/fixed_proxy_settings.h"

namespace twl {
namespace {

using nlohmann::json;
using Proxy = fakes::FixedProxySettings;

TEST(IsVpnTunnelUp, LooksForExactlyPpp0UnderScoped) {
    const std::vector<std::pair<std::optional<json>, bool>> rows{
        {Proxy::withInterfaces({"en0", "ppp0"}), true},
        {Proxy::withInterfaces({"ppp1"}), false},
        {Proxy::withInterfaces({"PPP0"}), false},
        {std::nullopt, false},
        {json{{"HTTPEnable", 0}}, false},
        {json{{"__SCOPED__", json::array({"ppp0"})}}, false},
    };
    for (const auto& [settings, up] : rows) {
        Proxy proxy;
        proxy.settings = settings;
        AppContext ctx(Services{.proxySettings = &proxy}, Endpoints{});
        EXPECT_EQ(isVpnTunnelUp(ctx), up) << (settings ? settings->dump() : "no settings");
    }
}

}  // namespace
}  // namespace twl
