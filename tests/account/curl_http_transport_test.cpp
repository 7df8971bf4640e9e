#include "platform/curl/curl_http_transport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "account/awaitable_run_loop.h"
#include "account/devprovider_process.h"
#include "platform/curl/utf8.h"

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
    fakes::AwaitableRunLoop loop;

    static HttpRequestSpec get(const std::string& url) {
        HttpRequestSpec request;
        request.url = url;
        return request;
    }

    std::shared_ptr<Outcome> send(HttpTransport& transport, HttpRequestSpec request) {
        auto outcome = std::make_shared<Outcome>();
        transport.sendJson(std::move(request), [outcome](JsonReply reply) {
            ++outcome->calls;
            outcome->reply = std::move(reply);
        });
        return outcome;
    }

    // Sends one request and waits for its completion.
    JsonReply exchange(HttpTransport& transport, HttpRequestSpec request) {
        auto outcome = send(transport, std::move(request));
        EXPECT_TRUE(loop.runUntil([&] { return outcome->calls > 0; }));
        loop.runPending();
        EXPECT_EQ(outcome->calls, 1) << "one completion per request";
        return outcome->reply;
    }

    void expectError(const JsonReply& reply, const std::string& why) {
        EXPECT_EQ(reply.value, std::nullopt) << why;
        ASSERT_TRUE(reply.error.has_value()) << why;
        EXPECT_FALSE(reply.error->empty()) << why;
    }
};

TEST_F(CurlHttpTransportTest, AnyJsonBodyIsASuccessWhateverTheStatus) {
    struct Row {
        const char* name;
        std::vector<std::string> switches;
        json expected;
    };
    const Row rows[] = {
        {"bare string", {"--fixed-body", "\"hello\""}, json("hello")},
        {"null", {"--fixed-body", " null "}, json(nullptr)},
        {"number", {"--fixed-body", "42"}, json(42)},
        {"500 with an object",
         {"--fixed-status", "500", "--fixed-body", R"({"error":"down"})"},
         json{{"error", "down"}}},
    };
    for (const auto& row : rows) {
        DevproviderProcess provider({.arguments = row.switches});
        CurlHttpTransport transport(loop, provider.caFile());
        const JsonReply reply = exchange(transport, get(provider.baseUrl() + "/publicapi"));
        EXPECT_EQ(reply.value, row.expected) << row.name;
        EXPECT_EQ(reply.error, std::nullopt) << row.name;
    }
}

TEST_F(CurlHttpTransportTest, BadBodiesAreErrors) {
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"not JSON", {"--fixed-body", "<html>oops</html>"}},
        {"empty", {"--fixed-body", ""}},
        {"JSON over the cap, chunked", {"--huge-body", std::to_string(2 * 1024 * 1024)}},
    };
    for (const auto& [name, switches] : rows) {
        DevproviderProcess provider({.arguments = switches});
        CurlHttpTransport transport(loop, provider.caFile());
        expectError(exchange(transport, get(provider.baseUrl() + "/publicapi")), name);
    }
}

TEST_F(CurlHttpTransportTest, TheCapIsCountedAsTheBodyArrives) {
    DevproviderProcess provider({.arguments = {"--huge-body", "5000"}});
    CurlHttpTransport small(loop, provider.caFile(), HttpBounds{.maxBodyBytes = 4096});
    expectError(exchange(small, get(provider.baseUrl() + "/x")), "over an injected cap");
    CurlHttpTransport roomy(loop, provider.caFile(), HttpBounds{.maxBodyBytes = 5000});
    const JsonReply whole = exchange(roomy, get(provider.baseUrl() + "/x"));
    ASSERT_TRUE(whole.value.has_value()) << whole.error.value_or("");
    EXPECT_EQ(whole.value->get<std::string>().size(), 4998u) << "exactly at the cap is fine";
}

TEST_F(CurlHttpTransportTest, UnreachableOrUntrustedServersAreErrors) {
    DevproviderProcess provider;
    DevproviderProcess stranger;
    CurlHttpTransport transport(loop, provider.caFile());
    expectError(exchange(transport, get("https://127.0.0.1:" +
                                        std::to_string(DevproviderProcess::unusedPort()) + "/")),
                "closed port");
    expectError(exchange(transport, get(stranger.baseUrl() + "/publicapi")),
                "certificate from an unknown CA");
    EXPECT_TRUE(stranger.recordedRequests().empty());

    CurlHttpTransport systemOnly(loop, "");
    expectError(exchange(systemOnly, get(provider.baseUrl() + "/publicapi")),
                "the provider's CA is not a system CA");
}

TEST_F(CurlHttpTransportTest, AServerThatNeverAnswersEndsAtTheBound) {
    DevproviderProcess provider({.arguments = {"--stall"}});
    CurlHttpTransport transport(loop, provider.caFile(), HttpBounds{.connect = 5s, .total = 1s});
    expectError(exchange(transport, get(provider.baseUrl() + "/publicapi")), "stalled");
    EXPECT_EQ(provider.recordedRequests().size(), 1u) << "the request did arrive";
}

TEST_F(CurlHttpTransportTest, RequestsThatCannotBeMadeNeverReachTheServer) {
    DevproviderProcess provider;
    CurlHttpTransport transport(loop, provider.caFile());
    HttpRequestSpec injected = get(provider.baseUrl() + "/publicapi");
    injected.headers = {{"X-Note", "a\r\nX-Evil: 1"}};
    const std::pair<const char*, HttpRequestSpec> rows[] = {
        {"a blank in the URL", get(provider.baseUrl() + "/publicapi?password=a b")},
        {"not HTTPS", get("http://127.0.0.1:" + std::to_string(provider.port()) + "/publicapi")},
        {"a line break in a header", injected},
    };
    for (const auto& [name, request] : rows) {
        auto outcome = send(transport, request);
        EXPECT_EQ(outcome->calls, 0) << name << ": the error comes later, on the loop";
        loop.runPending();
        EXPECT_EQ(outcome->calls, 1) << name;
        expectError(outcome->reply, name);
        EXPECT_EQ(outcome->reply.error->find("a b"), std::string::npos)
            << name << ": the URL stays out of the description";
    }
    EXPECT_TRUE(provider.recordedRequests().empty());
}

TEST_F(CurlHttpTransportTest, ConnectionsAreReusedBetweenRequests) {
    DevproviderProcess provider;
    CurlHttpTransport transport(loop, provider.caFile());
    exchange(transport, get(provider.baseUrl() + "/publicapi"));
    exchange(transport, get(provider.baseUrl() + "/publicapi"));
    const auto requests = provider.recordedRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0]["remotePort"], requests[1]["remotePort"]) << "one connection";
}

TEST_F(CurlHttpTransportTest, ShuttingDownWithARequestInFlightDropsItsCompletion) {
    DevproviderProcess provider({.arguments = {"--stall"}});
    auto transport = std::make_unique<CurlHttpTransport>(loop, provider.caFile());
    auto outcome = send(*transport, get(provider.baseUrl() + "/publicapi"));
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

TEST_F(CurlHttpTransportTest, TheBlockingGetReturnsUtf8TextOrAnError) {
    DevproviderProcess provider({.arguments = {"--public-ip", " 203.0.113.9\n"}});
    CurlHttpTransport transport(loop, provider.caFile());
    const std::string url = provider.baseUrl() + "/tools/getpublicip.php";
    const TextReply reply = transport.getText(url, 5s);
    EXPECT_EQ(reply.text, " 203.0.113.9\n") << reply.error.value_or("");
    EXPECT_EQ(transport.getText(url, 5s).text, " 203.0.113.9\n");
    const auto requests = provider.recordedRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0]["remotePort"], requests[1]["remotePort"]) << "one connection";

    DevproviderProcess latin1({.arguments = {"--fixed-body", "caf\xE9"}});
    CurlHttpTransport other(loop, latin1.caFile());
    EXPECT_FALSE(other.getText(latin1.baseUrl() + "/", 5s).text.has_value());
    EXPECT_FALSE(other.getText(latin1.baseUrl() + "/a b", 5s).text.has_value());
}

TEST_F(CurlHttpTransportTest, TheBlockingGetKeepsToItsBound) {
    DevproviderProcess provider({.arguments = {"--stall"}});
    CurlHttpTransport transport(loop, provider.caFile());
    const TextReply reply = transport.getText(provider.baseUrl() + "/tools/getpublicip.php", 500ms);
    EXPECT_FALSE(reply.text.has_value());
    EXPECT_TRUE(reply.error.has_value());
}

TEST(Utf8, AcceptsWellFormedTextOnly) {
    const std::pair<const char*, bool> rows[] = {
        {"", true},
        {"plain ascii\n", true},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", true},
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
        {"caf\xE9", false},           // Latin-1
        {"\xC0\xAF", false},          // overlong "/"
        {"\xE0\x80\xAF", false},      // overlong, three bytes
        {"\xED\xA0\x80", false},      // a UTF-16 surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xE2\x82", false},          // cut short
        {"\x80", false},              // a lone continuation byte
    };
    for (const auto& [bytes, valid] : rows) {
        EXPECT_EQ(isValidUtf8(bytes), valid) << ::testing::PrintToString(std::string(bytes));
    }
}

}  // namespace
}  // namespace twl
