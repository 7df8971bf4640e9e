#include "vpn/tunnel_detection.h"

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "fakes/fixed_proxy_settings.h"

namespace twl {
namespace {

using nlohmann::json;
using Proxy = fakes::FixedProxySettings;

struct Row {
    const char* name;
    std::optional<json> settings;
    bool up;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class IsVpnTunnelUp : public ::testing::TestWithParam<Row> {};

TEST_P(IsVpnTunnelUp, LooksForPpp0UnderScoped) {
    Proxy proxy;
    proxy.settings = GetParam().settings;
    AppContext ctx(Services{.proxySettings = &proxy}, Endpoints{});
    EXPECT_EQ(isVpnTunnelUp(ctx), GetParam().up);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, IsVpnTunnelUp,
    ::testing::Values(Row{"en0_and_ppp0", Proxy::withInterfaces({"en0", "ppp0"}), true},
                      Row{"ppp0_alone", Proxy::withInterfaces({"ppp0"}), true},
                      Row{"en0_and_utun0", Proxy::withInterfaces({"en0", "utun0"}), false},
                      Row{"ppp1_alone", Proxy::withInterfaces({"ppp1"}), false},
                      Row{"capital_PPP0", Proxy::withInterfaces({"PPP0"}), false},
                      Row{"ppp0_with_a_blank", Proxy::withInterfaces({"ppp0 "}), false},
                      Row{"empty_scoped", Proxy::withInterfaces({}), false},
                      Row{"no_settings", std::nullopt, false},
                      Row{"no_scoped_entry", json{{"HTTPEnable", 0}}, false},
                      Row{"scoped_not_a_dictionary", json{{"__SCOPED__", json::array({"ppp0"})}},
                          false},
                      Row{"settings_not_a_dictionary", json("ppp0"), false},
                      Row{"ppp0_elsewhere",
                          json{{"ppp0", json::object()}, {"__SCOPED__", json::object()}}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IsVpnTunnelUpRepeats, ReadsTheSettingsAfreshEachTime) {
    Proxy proxy;
    AppContext ctx(Services{.proxySettings = &proxy}, Endpoints{});
    proxy.settings = Proxy::withInterfaces({"en0"});
    EXPECT_FALSE(isVpnTunnelUp(ctx));
    proxy.settings = Proxy::withInterfaces({"en0", "ppp0"});
    EXPECT_TRUE(isVpnTunnelUp(ctx));
    EXPECT_EQ(proxy.reads, 2);
}

}  // namespace
}  // namespace twl
