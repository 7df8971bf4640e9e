#include "account/account_check.h"

#include <gtest/gtest.h>

#include "account/account_reply.h"
#include "account/awaitable_run_loop.h"
#include "account/devprovider_process.h"
#include "app/app_context.h"
#include "fakes/memory_settings_store.h"
#include "fakes/recording_console.h"
#include "platform/curl/curl_http_transport.h"

namespace twl {
namespace {

using fakes::DevproviderProcess;

// The client's real wiring against a provider on loopback: real transport,
// its CA trusted as the build's extra CA.
struct AccountService {
    explicit AccountService(fakes::DevproviderSetup setup, std::string baseUrl = "")
        : provider(std::move(setup)),
          transport(loop, provider.caFile()),
          ctx(
              Services{
                  .runLoop = &loop, .settings = &store, .console = &console, .http = &transport},
              Endpoints{baseUrl.empty() ? provider.baseUrl() : baseUrl, "", "",
                        provider.caFile()}) {}

    SortedAccountReply check(const std::string& userName, const std::string& password) {
        std::optional<SortedAccountReply> sorted;
        checkAccount(ctx, userName, password,
                     [&](auto value, auto error) { sorted = sortAccountReply(value, error); });
        EXPECT_TRUE(loop.runUntil([&] { return sorted.has_value(); }));
        return sorted.value_or(SortedAccountReply{});
    }

    fakes::AwaitableRunLoop loop;
    fakes::MemorySettingsStore store;
    fakes::RecordingConsole console;
    DevproviderProcess provider;
    CurlHttpTransport transport;
    AppContext ctx;
};

// A server out of reach, and a reply nested too deeply for the parser: one
// line that names the error but not the password.
TEST(AccountCheck, AnUnreachableApiOrATooDeepReplyIsANetworkErrorWithItsLine) {
    const std::pair<fakes::DevproviderSetup, std::string> rows[] = {
        {{}, "https://127.0.0.1:" + std::to_string(DevproviderProcess::unusedPort())},
        {{.arguments = {"--nested-depth", "500000"}}, ""}};
    for (const auto& [setup, baseUrl] : rows) {
        AccountService service(setup, baseUrl);
        const SortedAccountReply sorted = service.check("paid", "s3cret");
        EXPECT_EQ(sorted.outcome, AccountOutcome::networkError);
        EXPECT_EQ(sorted.message, "Network error!");
        ASSERT_EQ(service.console.lines.size(), 1u);
        EXPECT_TRUE(service.console.lines[0].starts_with("Error message:"));
        EXPECT_EQ(service.console.lines[0].find("s3cret"), std::string::npos);
        for (const auto& request : service.provider.recordedRequests()) {
            EXPECT_EQ(request["acceptEncoding"], "") << "a compressed reply takes longer";
        }
    }
}

}  // namespace
}  // namespace twl
