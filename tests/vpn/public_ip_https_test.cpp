#include <gtest/gtest.h>

#include "account/awaitable_run_loop.h"
#include "account/devprovider_process.h"
#include "app/app_context.h"
#include "fakes/recording_console.h"
#include "platform/curl/curl_http_transport.h"
#include "vpn/public_ip.h"

namespace twl {
namespace {

using fakes::DevproviderProcess;

// The lookup over the real libcurl transport against the local provider.
struct Lookup {
    std::string address;
    std::vector<std::string> printed;
};

Lookup lookUp(const std::string& baseUrl, const std::string& caFile) {
    fakes::AwaitableRunLoop loop;
    fakes::RecordingConsole console;
    CurlHttpTransport http(loop, caFile);
    AppContext ctx(Services{.runLoop = &loop, .console = &console, .http = &http},
                   Endpoints{"", baseUrl, "", ""});
    return Lookup{publicIpAddress(ctx), console.lines};
}

TEST(PublicIpOverHttps, ShowsWhatTheServiceSaysTrimmedOfBlanksOnly) {
    DevproviderProcess provider({.arguments = {"--public-ip", " \t203.0.113.9\n"}});
    const Lookup lookup = lookUp(provider.baseUrl(), provider.caFile());
    EXPECT_EQ(lookup.address, "203.0.113.9\n");
    EXPECT_TRUE(lookup.printed.empty());
    ASSERT_EQ(provider.recordedRequests().size(), 1u);
    EXPECT_EQ(provider.recordedRequests()[0]["target"], "/tools/getpublicip.php");
}

void expectFailure(const Lookup& lookup, const char* why) {
    EXPECT_EQ(lookup.address, "") << why;
    ASSERT_EQ(lookup.printed.size(), 1u) << why;
    EXPECT_TRUE(lookup.printed[0].starts_with("Error: ")) << why << ": " << lookup.printed[0];
    EXPECT_GT(lookup.printed[0].size(), std::string("Error: ").size()) << why;
}

TEST(PublicIpOverHttps, AClosedPortGivesAnErrorLineAndNoAddress) {
    DevproviderProcess provider;
    const std::string closed =
        "https://127.0.0.1:" + std::to_string(DevproviderProcess::unusedPort());
    expectFailure(lookUp(closed, provider.caFile()), "closed port");
}

TEST(PublicIpOverHttps, AServiceThatNeverAnswersIsGivenUpWithinTheBound) {
    DevproviderProcess provider({.arguments = {"--stall"}});
    expectFailure(lookUp(provider.baseUrl(), provider.caFile()), "stalled");
    EXPECT_EQ(provider.recordedRequests().size(), 1u) << "the request did arrive";
}

}  // namespace
}  // namespace twl
