#include "account/http_request.h"

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "fakes/recording_console.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

using fakes::ScriptedHttpTransport;
using nlohmann::json;

class HttpRequestTest : public ::testing::Test {
  protected:
    fakes::VirtualRunLoop loop;
    fakes::RecordingConsole console;
    ScriptedHttpTransport http{loop};
    AppContext ctx{Services{.runLoop = &loop, .console = &console, .http = &http}, Endpoints{}};
};

TEST_F(HttpRequestTest, TheReplyReachesTheBlockLaterAndAFailureWritesItsLineFirst) {
    http.scriptJson(ScriptedHttpTransport::success("just a string"));
    http.scriptJson(ScriptedHttpTransport::failure("Connection refused"));
    http.scriptJson(ScriptedHttpTransport::failure("boom"));  // no block: the line still goes
    // What each block received, and how many lines were out by then.
    using Seen = std::tuple<std::optional<json>, std::optional<std::string>, std::size_t>;
    std::vector<Seen> seen;
    for (int i = 0; i < 3; ++i) {
        auto request = HttpRequest::create(ctx);
        if (i < 2) {
            request->myBlock = [&](auto value, auto error) {
                seen.emplace_back(value, error, console.lines.size());
            };
        }
        request->sendRequest(HttpMethod::get, "https://api.test/x");
    }
    EXPECT_TRUE(seen.empty()) << "never from inside sendRequest";
    loop.runPending();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen, (std::vector<Seen>{{json("just a string"), std::nullopt, 0},
                                       {std::nullopt, "Connection refused", 1}}));
    EXPECT_EQ(console.lines,
              (std::vector<std::string>{"Error message:Connection refused", "Error message:boom"}));
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
    ASSERT_TRUE(http.answerOldest(ScriptedHttpTransport::success(json::object())));
    loop.runPending();
    EXPECT_EQ(*captured, 1);
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(captured.use_count(), 1) << "the block is released with the object";
}

}  // namespace
}  // namespace twl
