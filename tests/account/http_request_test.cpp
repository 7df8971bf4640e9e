#include "account/http_request.h"

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "fakes/recording_console.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

using nlohmann::json;

struct Received {
    int calls = 0;
    std::optional<json> value;
    std::optional<std::string> error;
    std::size_t consoleLinesAtCall = 0;
};

class HttpRequestTest : public ::testing::Test {
  protected:
    fakes::VirtualRunLoop loop;
    fakes::RecordingConsole console;
    fakes::ScriptedHttpTransport http{loop};
    AppContext ctx{Services{.runLoop = &loop, .console = &console, .http = &http}, Endpoints{}};

    // Sends one GET and lets go of the request, as its creator does.
    std::shared_ptr<Received> sendGet(bool withBlock = true) {
        auto received = std::make_shared<Received>();
        auto request = HttpRequest::create(ctx);
        if (withBlock) {
            request->myBlock = [this, received](auto value, auto error) {
                ++received->calls;
                received->value = std::move(value);
                received->error = std::move(error);
                received->consoleLinesAtCall = console.lines.size();
            };
        }
        request->sendRequest(HttpMethod::get, "https://api.test/x");
        return received;
    }
};

TEST_F(HttpRequestTest, ASuccessReachesTheBlockLaterOnTheMainLoop) {
    http.scriptJson(fakes::ScriptedHttpTransport::success("just a string"));
    auto received = sendGet();
    EXPECT_EQ(received->calls, 0) << "never from inside sendRequest";
    loop.runPending();
    EXPECT_EQ(received->calls, 1);
    EXPECT_EQ(received->value, json("just a string"));
    EXPECT_EQ(received->error, std::nullopt);
    EXPECT_TRUE(console.lines.empty());
}

TEST_F(HttpRequestTest, AFailureWritesItsLineBeforeTheBlockRuns) {
    http.scriptJson(fakes::ScriptedHttpTransport::failure("Connection refused"));
    auto received = sendGet();
    loop.runPending();
    EXPECT_EQ(console.lines, std::vector<std::string>{"Error message:Connection refused"});
    EXPECT_EQ(received->calls, 1);
    EXPECT_EQ(received->consoleLinesAtCall, 1u);
    EXPECT_EQ(received->value, std::nullopt);
    EXPECT_EQ(received->error, "Connection refused");
}

TEST_F(HttpRequestTest, AFailureWithoutABlockStillWritesItsLine) {
    http.scriptJson(fakes::ScriptedHttpTransport::failure("boom"));
    sendGet(false);
    loop.runPending();
    EXPECT_EQ(console.lines, std::vector<std::string>{"Error message:boom"});
}

TEST_F(HttpRequestTest, TheRequestAndWhatItsBlockHoldsLiveUntilTheReplyHasRun) {
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<HttpRequest> watched;
    {
        auto request = HttpRequest::create(ctx);
        watched = request;
        request->myBlock = [captured](auto, auto) { ++*captured; };
        request->sendRequest(HttpMethod::get, "https://api.test/x");
    }
    EXPECT_FALSE(watched.expired()) << "the outstanding reply holds it";
    EXPECT_EQ(captured.use_count(), 2);

    ASSERT_TRUE(http.answerOldest(fakes::ScriptedHttpTransport::success(json::object())));
    loop.runPending();
    EXPECT_EQ(*captured, 1);
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(captured.use_count(), 1) << "the block is released with the object";
}

TEST_F(HttpRequestTest, HandsTheTransportTheVerbHeadersAndJsonParameters) {
    auto get = HttpRequest::create(ctx);
    get->sendRequest(HttpMethod::get, "https://api.test/a",
                     HttpRequest::Headers{{"Content-Type", "application/json"}});
    auto post = HttpRequest::create(ctx);
    post->sendRequest(HttpMethod::post, "https://api.test/b", std::nullopt, json{{"k", "v"}});

    ASSERT_EQ(http.requests().size(), 2u);
    const auto& first = http.requests()[0];
    EXPECT_EQ(first.method, "GET");
    EXPECT_EQ(first.url, "https://api.test/a");
    EXPECT_EQ(
        first.headers,
        (std::vector<std::pair<std::string, std::string>>{{"Content-Type", "application/json"}}));
    EXPECT_EQ(first.jsonBody, std::nullopt);
    const auto& second = http.requests()[1];
    EXPECT_EQ(second.method, "POST");
    EXPECT_TRUE(second.headers.empty());
    EXPECT_EQ(second.jsonBody, (json{{"k", "v"}}));
}

TEST_F(HttpRequestTest, ASecondSendIsAProgrammingError) {
    auto request = HttpRequest::create(ctx);
    request->sendRequest(HttpMethod::get, "https://api.test/x");
    EXPECT_THROW(request->sendRequest(HttpMethod::get, "https://api.test/x"), std::logic_error);
    EXPECT_EQ(http.requests().size(), 1u);
}

}  // namespace
}  // namespace twl
