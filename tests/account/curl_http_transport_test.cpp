#include "platform/curl/curl_http_transport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "account/awaitable_run_loop.h"
#include "account/devprovider_process.h"
#include "platform/utf8_text.h"

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
    std::shared_ptr<Outcome> send(HttpTransport& transport, const std::string& url) {
        auto outcome = std::make_shared<Outcome>();
        transport.sendJson(HttpRequestSpec{.url = url, .headers = {}, .jsonBody = {}},
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
    EXPECT_TRUE(isError(replyOf({"--stall"}, {.connect = 5s, .total = 1s})));
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
    auto injected = std::make_shared<Outcome>();
    transport.sendJson(HttpRequestSpec{.url = provider.baseUrl() + "/",
                                       .headers = {{"X-Note", "a\r\nX-Evil: 1"}},
                                       .jsonBody = {}},
                       [injected](JsonReply reply) { injected->reply = std::move(reply); });
    const std::shared_ptr<Outcome> outcomes[] = {
        injected,
        send(transport, provider.baseUrl() + "/publicapi?password=a b"),
        send(transport, "http://127.0.0.1:" + std::to_string(provider.port()) + "/publicapi"),
    };
    loop.runPending();
    for (const auto& outcome : outcomes) {
        EXPECT_TRUE(isError(outcome->reply));
        EXPECT_EQ(outcome->reply.error->find("a b"), std::string::npos) << "no URL in the text";
    }
    EXPECT_TRUE(provider.recordedRequests().empty());
}

TEST_F(CurlHttpTransportTest, TheBlockingGetRefusesBadTextAndKeepsToItsBound) {
    DevproviderProcess latin1({.arguments = {"--fixed-body", "caf\xE9"}});
    CurlHttpTransport transport(loop, latin1.caFile());
    EXPECT_FALSE(transport.getText(latin1.baseUrl() + "/", 5s).text.has_value());
    EXPECT_FALSE(transport.getText(latin1.baseUrl() + "/a b", 5s).text.has_value());
    DevproviderProcess stalled({.arguments = {"--stall"}});
    CurlHttpTransport slow(loop, stalled.caFile());
    const TextReply reply = slow.getText(stalled.baseUrl() + "/tools/getpublicip.php", 500ms);
    EXPECT_FALSE(reply.text.has_value());
    EXPECT_TRUE(reply.error.has_value());
}

TEST_F(CurlHttpTransportTest, ShuttingDownWithARequestInFlightDropsItsCompletion) {
    DevproviderProcess provider({.arguments = {"--stall"}});
    auto transport = std::make_unique<CurlHttpTransport>(loop, provider.caFile());
    auto outcome = send(*transport, provider.baseUrl() + "/publicapi");
    // Let the request reach the server, so that it is truly in flight.
    for (int i = 0; i < 6000 && provider.recordedRequests().empty(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(provider.recordedRequests().size(), 1u);
    transport.reset();
    loop.runPending();
    EXPECT_EQ(outcome->calls, 0);
    EXPECT_EQ(outcome.use_count(), 1) << "the completion was released";
}

TEST(Utf8, AcceptsWellFormedTextOnly) {
    const std::pair<const char*, bool> rows[] = {
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", true},
        {"caf\xE9", false},           // Latin-1
        {"\xC0\xAF", false},          // overlong "/"
        {"\xED\xA0\x80", false},      // a UTF-16 surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xE2\x82", false},          // cut short
    };
    for (const auto& [bytes, valid] : rows) {
        EXPECT_EQ(isValidUtf8(bytes), valid) << ::testing::PrintToString(std::string(bytes));
    }
}

}  // namespace
}  // namespace twl
