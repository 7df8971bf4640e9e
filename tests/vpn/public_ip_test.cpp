#include "vpn/public_ip.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/app_context.h"
#include "fakes/recording_console.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

TEST(PublicIpAddress, ShowsTheReplyTrimmedOfBlanksAndTabsOrNothing) {
    struct Row {
        TextReply reply;
        std::string shown;
        std::string printed;
    };
    const std::vector<Row> rows{
        {{" \t203.0.113.7 \t ", {}}, "203.0.113.7", ""},
        {{"203.0.113.7\n  ", {}}, "203.0.113.7\n", ""},  // a line break is no blank
        {{{}, "Timeout was reached"}, "", "Error: Timeout was reached"},
        {{"203.0.113.7\xff", {}}, "", "Error: the reply is not UTF-8 text"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shown + row.printed);
        fakes::VirtualRunLoop loop;
        fakes::ScriptedHttpTransport http(loop);
        http.scriptText(row.reply);
        fakes::RecordingConsole console;
        AppContext ctx(Services{.console = &console, .http = &http},
                       Endpoints{"", "https://ip.test:8443", "", ""});
        std::optional<std::string> shown;
        lookUpPublicIp(ctx, [&shown](const std::string& address) { shown = address; });
        EXPECT_FALSE(shown) << "the answer comes later, from the run loop";
        loop.runPending();
        EXPECT_EQ(shown, row.shown);
        EXPECT_EQ(console.lines,
                  row.printed.empty() ? std::vector<std::string>{} : std::vector{row.printed});
        ASSERT_EQ(http.textRequests().size(), 1u);
        EXPECT_EQ(http.textRequests()[0].url, "https://ip.test:8443/tools/getpublicip.php");
        EXPECT_EQ(http.textRequests()[0].bound, std::chrono::milliseconds(5000))
            << "the label never waits longer";
    }
}

}  // namespace
}  // namespace twl
