// The client's HTTPS over libcurl against the real local provider.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "account/account_check.h"
#include "account/account_reply.h"
#include "account/awaitable_run_loop.h"
#include "account/devprovider_process.h"
#include "app/app_context.h"
#include "fakes/fake_services.h"
#include "platform/curl/curl_http_transport.h"
#include "private_system.h"
#include "test_support.h"

namespace twl {
namespace {

using fakes::DevproviderProcess;
using nlohmann::json;
using namespace std::chrono_literals;

struct Outcome {
    int calls = 0;
    JsonReply reply;
};

class CurlHttpTransportTest : public ::testing::Test {
  protected:
    std::shared_ptr<Outcome> send(HttpTransport& transport, const std::string& url,
                                  std::vector<std::pair<std::string, std::string>> headers = {}) {
        auto outcome = std::make_shared<Outcome>();
        transport.sendJson(
            HttpRequestParts{.url = url, .headers = std::move(headers), .jsonBody = {}},
            [outcome](JsonReply reply) {
                ++outcome->calls;
                outcome->reply = std::move(reply);
            });
        return outcome;
    }

    // Sends one GET and waits for its one completion.
    JsonReply exchange(HttpTransport& transport, const std::string& url) {
        auto outcome = send(transport, url);
        EXPECT_TRUE(loop.runUntil([&] { return outcome->calls > 0; }));
        loop.runPending();
        EXPECT_EQ(outcome->calls, 1) << "one completion per request";
        return outcome->reply;
    }

    TextReply fetch(HttpTransport& transport, const std::string& url,
                    std::chrono::milliseconds bound) {
        std::optional<TextReply> reply;
        transport.fetchText(url, bound, [&reply](TextReply answer) { reply = std::move(answer); });
        EXPECT_TRUE(loop.runUntil([&reply] { return reply.has_value(); }));
        return reply.value_or(TextReply{});
    }

    // What a provider started with these switches answers to a GET.
    JsonReply replyOf(std::vector<std::string> switches, HttpBounds bounds = {}) {
        DevproviderProcess provider({.arguments = std::move(switches)});
        CurlHttpTransport transport(loop, provider.caFile(), bounds);
        return exchange(transport, provider.baseUrl() + "/publicapi");
    }

    fakes::AwaitableRunLoop loop;
};

bool isError(const JsonReply& reply) {
    return !reply.value && reply.error && !reply.error->empty();
}

// Any JSON is a success, whatever the status; anything else, too much of it
// (chunked, so counted as it arrives) or too late is an error.
TEST_F(CurlHttpTransportTest, RepliesAreJsonValuesOrErrors) {
    EXPECT_EQ(replyOf({"--fixed-body", "\"hello\""}).value, json("hello"));
    EXPECT_EQ(replyOf({"--fixed-status", "500", "--fixed-body", R"({"error":"down"})"}).value,
              (json{{"error", "down"}}));
    EXPECT_TRUE(isError(replyOf({"--fixed-body", "<html>oops</html>"})));
    EXPECT_TRUE(isError(replyOf({"--huge-body", std::to_string(2 * 1024 * 1024)})));
    const JsonReply whole = replyOf({"--huge-body", "5000"}, {.maxBodyBytes = 5000});
    ASSERT_TRUE(whole.value.has_value()) << whole.error.value_or("");
    EXPECT_EQ(whole.value->get<std::string>().size(), 4998u) << "exactly at the cap is fine";
    EXPECT_EQ(replyOf({"--delay", "0.2", "--fixed-body", "1"}, {.total = 5s}).value, json(1));
    EXPECT_TRUE(isError(replyOf({"--delay", "3"}, {.connect = 5s, .total = 1s})));
    // Half a million levels is a megabyte, still under the size cap; copying or
    // printing such a value would exhaust the stack.
    EXPECT_TRUE(replyOf({"--nested-depth", "64"}).value.has_value());
    EXPECT_TRUE(isError(replyOf({"--nested-depth", "65"})));
    EXPECT_TRUE(isError(replyOf({"--nested-depth", "500000"})));
}

TEST_F(CurlHttpTransportTest, OnlyTheSystemsAndTheExtraCaAreTrusted) {
    DevproviderProcess provider;
    DevproviderProcess stranger;
    CurlHttpTransport transport(loop, provider.caFile());
    EXPECT_TRUE(exchange(transport, provider.baseUrl() + "/publicapi").value.has_value());
    EXPECT_TRUE(isError(exchange(transport, stranger.baseUrl() + "/publicapi")));
    EXPECT_TRUE(stranger.recordedRequests().empty());
    CurlHttpTransport systemOnly(loop, "");
    EXPECT_TRUE(isError(exchange(systemOnly, provider.baseUrl() + "/publicapi")));
}

TEST_F(CurlHttpTransportTest, RequestsThatCannotBeMadeNeverReachTheServer) {
    DevproviderProcess provider;
    CurlHttpTransport transport(loop, provider.caFile());
    const std::shared_ptr<Outcome> outcomes[] = {
        send(transport, provider.baseUrl() + "/", {{"X-Note", "a\r\nX-Evil: 1"}}),
        send(transport, provider.baseUrl() + "/publicapi?password=a b"),
        send(transport, "http://127.0.0.1:" + std::to_string(provider.port()) + "/publicapi"),
    };
    ASSERT_TRUE(loop.runUntil([&outcomes] {
        return std::ranges::all_of(
            outcomes, [](const auto& outcome) { return outcome->reply.error.has_value(); });
    }));
    for (const auto& outcome : outcomes) {
        EXPECT_TRUE(isError(outcome->reply));
        EXPECT_EQ(outcome->reply.error->find("a b"), std::string::npos) << "no URL in the text";
    }
    EXPECT_TRUE(provider.recordedRequests().empty());
}

// Text must be UTF-8. The call returns before a stalled server is given up,
// which happens at the bound.
TEST_F(CurlHttpTransportTest, TextFetchesRefuseBadTextAndKeepToTheirBoundWithoutBlocking) {
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"caf\xC3\xA9", "caf\xC3\xA9"}, {"caf\xE9", std::nullopt}};
    for (const auto& [body, text] : rows) {
        DevproviderProcess provider({.arguments = {"--fixed-body", body}});
        CurlHttpTransport transport(loop, provider.caFile());
        EXPECT_EQ(fetch(transport, provider.baseUrl() + "/", 5s).text, text);
    }
    DevproviderProcess stalled({.arguments = {"--stall"}});
    CurlHttpTransport slow(loop, stalled.caFile());
    std::optional<TextReply> reply;
    slow.fetchText(stalled.baseUrl() + "/tools/getpublicip.php", 2s,
                   [&reply](TextReply answer) { reply = std::move(answer); });
    loop.runPending();
    EXPECT_FALSE(reply.has_value()) << "the call waited for the server";
    ASSERT_TRUE(loop.runUntil([&reply] { return reply.has_value(); }));
    EXPECT_FALSE(reply->text.has_value());
    EXPECT_TRUE(reply->error.has_value());
}

// The client makes one at start-up, long before any request: no worker thread
// until the first. One still in flight when the transport goes never completes.
TEST_F(CurlHttpTransportTest, TheWorkerStartsWithTheFirstRequestAndDropsACompletionAtShutdown) {
    DevproviderProcess provider({.arguments = {"--stall"}});
    const auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"), {});
    };
    const auto before = threads();
    auto transport = std::make_unique<CurlHttpTransport>(loop, provider.caFile());
    EXPECT_EQ(threads(), before);
    auto outcome = send(*transport, provider.baseUrl() + "/publicapi");
    // Let the request reach the server, so that it is truly in flight.
    ASSERT_TRUE(loop.runUntil([&provider] { return !provider.recordedRequests().empty(); }));
    transport.reset();
    loop.runPending();
    EXPECT_EQ(outcome->calls, 0);
    EXPECT_EQ(outcome.use_count(), 1) << "the completion was released";
}

// In a private system whose only name server reads nothing, a look-up waits
// out the resolver's 30 s. 0 when the transport went while it waited.
int quitWhileResolving(RunLoop& loop) {
    test_support::PrivateSystem system;
    if (const std::string why = system.enter(true); !why.empty()) {
        std::cerr << why << '\n';
        return 77;
    }
    std::ofstream("/run/resolv.conf") << "nameserver 127.0.0.1\noptions timeout:30 attempts:1\n";
    std::ofstream("/run/nsswitch.conf") << "hosts: dns\n";
    const int server = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!system.bindOver("/run/resolv.conf", "/etc/resolv.conf").empty() ||
        !system.bindOver("/run/nsswitch.conf", "/etc/nsswitch.conf").empty() ||
        ::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return 1;
    }
    auto transport = std::make_unique<CurlHttpTransport>(loop, "");
    transport->sendJson(
        HttpRequestParts{.url = "https://stalled.invalid/", .headers = {}, .jsonBody = {}},
        [](JsonReply) {});
    pollfd asked{server, POLLIN, 0};
    if (::poll(&asked, 1, 5000) != 1) {
        return 2;  // the name server was never asked
    }
    transport.reset();
    return 0;
}

// The look-up runs on a thread of its own that libcurl would otherwise join.
TEST_F(CurlHttpTransportTest, QuittingDoesNotWaitForANameServerThatNeverAnswers) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root for a private system";
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(quitWhileResolving(loop));
    }
    const bool ended = test_support::endsSoon(child);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no private system here (its reason is above)";
    }
    EXPECT_TRUE(ended) << "still waiting for the name server after 10 s";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// The client's real wiring against a provider on loopback: real transport,
// its CA trusted as the build's extra CA.
struct ProviderClient {
    explicit ProviderClient(fakes::DevproviderSetup setup, std::string accountApi = "")
        : provider(std::move(setup)),
          transport(loop, provider.caFile()),
          fake(loop, transport,
               {.endpoints = {accountApi.empty() ? provider.baseUrl() : accountApi,
                              provider.baseUrl(), "", provider.caFile()}}) {}

    SortedAccountReply check(const std::string& userName, const std::string& password) {
        std::optional<SortedAccountReply> sorted;
        checkAccount(*fake.context, userName, password,
                     [&](auto value, auto error) { sorted = sortAccountReply(value, error); });
        EXPECT_TRUE(loop.runUntil([&] { return sorted.has_value(); }));
        return sorted.value_or(SortedAccountReply{});
    }

    fakes::AwaitableRunLoop loop;
    DevproviderProcess provider;
    CurlHttpTransport transport;
    fakes::FakeServices fake;
};

// Nothing listening at the API's port, and a reply nested too deeply for the parser: one
// line that names the error but not the password.
TEST(AccountCheck, AnUnreachableApiOrATooDeepReplyIsANetworkErrorWithItsLine) {
    const std::pair<fakes::DevproviderSetup, std::string> rows[] = {
        {{}, "https://127.0.0.1:1"}, {{.arguments = {"--nested-depth", "500000"}}, ""}};
    for (const auto& [setup, accountApi] : rows) {
        ProviderClient client(setup, accountApi);
        const SortedAccountReply sorted = client.check("paid", "s3cret");
        EXPECT_EQ(sorted.outcome, AccountOutcome::networkError);
        EXPECT_EQ(sorted.message, "Network error!");
        ASSERT_EQ(client.fake.console.lines.size(), 1u);
        EXPECT_TRUE(client.fake.console.lines[0].starts_with("Error message:"));
        EXPECT_EQ(client.fake.console.lines[0].find("s3cret"), std::string::npos);
        for (const auto& request : client.provider.recordedRequests()) {
            EXPECT_EQ(request["acceptEncoding"], "") << "a compressed reply takes longer";
        }
    }
}

}  // namespace
}  // namespace twl
