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
using nlohmann::json;

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

TEST(AccountCheck, AnUnreachableApiIsANetworkErrorWithItsLine) {
    AccountService service({},
                           "https://127.0.0.1:" + std::to_string(DevproviderProcess::unusedPort()));
    const SortedAccountReply sorted = service.check("paid", "s3cret");
    EXPECT_EQ(sorted.outcome, AccountOutcome::networkError);
    EXPECT_EQ(sorted.message, "Network error!");
    ASSERT_EQ(service.console.lines.size(), 1u);
    EXPECT_TRUE(service.console.lines[0].starts_with("Error message:"));
    EXPECT_EQ(service.console.lines[0].find("s3cret"), std::string::npos);
}

TEST(AccountCheck, AReplyNestedTooDeeplyIsANetworkError) {
    AccountService service({.arguments = {"--nested-depth", "500000"}});
    EXPECT_EQ(service.check("paid", "s3cret").outcome, AccountOutcome::networkError);
    EXPECT_EQ(service.console.lines.size(), 1u);
}

// Credentials as typed, and the user name as the login screen hands it over
// (blanks already "%20"): the server must decode exactly what was typed, which
// the provider shows by accepting the account.
TEST(AccountCheck, AwkwardCredentialsArriveDecodedToExactlyWhatWasTyped) {
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"a&b=c", "a&b=c", "p&q=r&password=x open sesame"},
        {"50%off", "50%off", "100%25"},
        {"o'neil \"q\"", "o'neil%20\"q\"", "\"'\\"},
    };
    json accounts = json::array();
    for (const auto& [typed, sent, password] : rows) {
        accounts.push_back(
            {{"user", typed}, {"password", password}, {"status", "Paid"}, {"message", ""}});
    }
    AccountService service({.accounts = accounts});
    for (const auto& [typed, sent, password] : rows) {
        EXPECT_EQ(service.check(sent, password).outcome, AccountOutcome::accepted) << typed;
    }
    for (const auto& request : service.provider.recordedRequests()) {
        const std::string target = request["target"];
        EXPECT_EQ(target.find_first_of(" #+\"'"), std::string::npos) << target;
        EXPECT_EQ(request["contentType"], json::array({"application/json"})) << "one, once";
        EXPECT_EQ(request["acceptEncoding"], "") << "a compressed reply takes longer";
    }
    EXPECT_EQ(service.provider.log().find("open sesame"), std::string::npos)
        << "no password logged";
}

}  // namespace
}  // namespace twl
