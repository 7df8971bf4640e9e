#include <gtest/gtest.h>

#include <optional>

#include "fakes/fake_services.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/virtual_run_loop.h"
#include "vpn/connection_notifications.h"
#include "vpn/public_ip.h"
#include "vpn/tunnel_detection.h"

namespace twl {
namespace {

using nlohmann::json;

// One client for one test: the virtual clock a quarter second into a second,
// a scripted transport and twins of every other service.
struct Client {
    fakes::VirtualRunLoop loop{1'800'000'000.25};
    fakes::ScriptedHttpTransport http{loop};
    fakes::FakeServices services{loop, http, {.endpoints = {"", "https://ip.test:8443", "", ""}}};
    AppContext& ctx = *services.context;
    std::vector<std::string>& printed = services.console.lines;
};

TEST(PublicIpAddress, ShowsTheReplyTrimmedOfBlanksAndTabsOrNothing) {
    const std::tuple<TextReply, std::string, std::string> rows[] = {
        // reply, shown, printed
        {{" \t203.0.113.7 \t ", {}}, "203.0.113.7", ""},
        {{"203.0.113.7\n  ", {}}, "203.0.113.7\n", ""},  // a line break is no blank
        {{{}, "Timeout was reached"}, "", "Error: Timeout was reached"},
        {{"203.0.113.7\xff", {}}, "", "Error: the reply is not UTF-8 text"},
    };
    for (const auto& [reply, expectShown, expectPrinted] : rows) {
        SCOPED_TRACE(expectShown + expectPrinted);
        Client client;
        client.http.scriptText(reply);
        std::optional<std::string> shown;
        lookUpPublicIp(client.ctx, [&shown](const std::string& address) { shown = address; });
        EXPECT_FALSE(shown) << "the answer comes later, from the run loop";
        client.loop.runPending();
        EXPECT_EQ(shown, expectShown);
        EXPECT_EQ(client.printed,
                  expectPrinted.empty() ? std::vector<std::string>{} : std::vector{expectPrinted});
        ASSERT_EQ(client.http.textRequests().size(), 1u);
        EXPECT_EQ(client.http.textRequests()[0].url, "https://ip.test:8443/tools/getpublicip.php");
        EXPECT_EQ(client.http.textRequests()[0].bound, std::chrono::milliseconds(5000))
            << "the label never waits longer";
    }
}

TEST(ConnectionNotifications, EveryRefusalPrintsTheLineAndConsentPrintsNothing) {
    Client client;
    for (const bool granted : {true, false, false}) {
        requestNotificationPermission(client.ctx);
        client.services.notifications.answerAuthorizations(granted);
    }
    EXPECT_EQ(client.printed, (std::vector<std::string>{"User has declined notifications",
                                                        "User has declined notifications"}));
}

TEST(ConnectionNotifications, EachIsNewAndDueOneSecondAfterTheCall) {
    Client client;
    postConnectionNotification(client.ctx, "Duskway", "Connected");
    client.loop.advance(0.5);
    postConnectionNotification(client.ctx, "Tidewater Link", "Disconnected");

    const auto& requests = client.services.notifications.requests;
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].categoryIdentifier, "alarm");
    EXPECT_EQ(requests[0].triggerEpochSeconds, 1'800'000'001) << "now + 1 s, to the whole second";
    EXPECT_EQ(requests[1].triggerEpochSeconds, 1'800'000'001);
    EXPECT_NE(requests[0].identifier, requests[1].identifier) << "neither replaces the other";
}

TEST(IsVpnTunnelUp, LooksForExactlyPpp0UnderScoped) {
    using Proxy = fakes::FixedProxySettings;
    const std::pair<std::optional<json>, bool> rows[] = {
        {Proxy::withInterfaces({"en0", "ppp0"}), true},
        {Proxy::withInterfaces({"ppp1"}), false},
        {Proxy::withInterfaces({"PPP0"}), false},
        {std::nullopt, false},
        {json{{"HTTPEnable", 0}}, false},
        {json{{"__SCOPED__", json::array({"ppp0"})}}, false},
    };
    Client client;
    for (const auto& [settings, up] : rows) {
        client.services.proxySettings.settings = settings;
        EXPECT_EQ(isVpnTunnelUp(client.ctx), up) << (settings ? settings->dump() : "no settings");
    }
}

}  // namespace
}  // namespace twl
