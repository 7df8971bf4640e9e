#include <gtest/gtest.h>

#include <optional>

#include "account/awaitable_run_loop.h"
#include "account/devprovider_process.h"
#include "app/app_context.h"
#include "fakes/recording_console.h"
#include "platform/curl/curl_http_transport.h"
#include "vpn/public_ip.h"

namespace twl {
namespace {

using fakes::DevproviderProcess;

// The lookup over the real libcurl transport against a provider that never
// answers; the answer on the happy road is checked by tests/e2e.
TEST(PublicIpOverHttps, AServiceThatNeverAnswersIsGivenUpWithinTheBound) {
    DevproviderProcess provider({.arguments = {"--stall"}});
    fakes::AwaitableRunLoop loop;
    fakes::RecordingConsole console;
    CurlHttpTransport http(loop, provider.caFile());
    AppContext ctx(Services{.runLoop = &loop, .console = &console, .http = &http},
                   Endpoints{"", provider.baseUrl(), "", ""});
    std::optional<std::string> shown;
    lookUpPublicIp(ctx, [&shown](const std::string& address) { shown = address; });
    ASSERT_TRUE(loop.runUntil([&shown] { return shown.has_value(); }));
    EXPECT_EQ(shown, "");
    ASSERT_EQ(console.lines.size(), 1u);
    EXPECT_TRUE(console.lines[0].starts_with("Error: ")) << console.lines[0];
    EXPECT_EQ(provider.recordedRequests().size(), 1u) << "the request did arrive";
}

}  // namespace
}  // namespace twl
