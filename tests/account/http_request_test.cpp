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

// The login screen's tests see each reply reach its block, a failure's line first.
TEST(HttpRequest, TheRequestAndWhatItsBlockHoldsLiveUntilTheReplyHasRun) {
    fakes::VirtualRunLoop loop;
    fakes::RecordingConsole console;
    ScriptedHttpTransport http{loop};
    AppContext ctx{Services{.runLoop = &loop, .console = &console, .http = &http}, Endpoints{}};
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
