#include "vpn/public_ip.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/app_context.h"
#include "fakes/recording_console.h"
#include "platform/http_transport.h"

namespace twl {
namespace {

// Answers the lookup with one reply and keeps what it was asked.
struct OneReply final : HttpTransport {
    void sendJson(HttpRequestSpec, JsonCompletion) override { throw std::logic_error("no JSON"); }
    TextReply getText(const std::string& asked, std::chrono::milliseconds limit) override {
        url = asked;
        bound = limit;
        return reply;
    }
    TextReply reply;
    std::string url;
    std::chrono::milliseconds bound{0};
};

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
        {{"\xed\xa0\x80", {}}, "", "Error: the reply is not UTF-8 text"},  // a surrogate
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shown + row.printed);
        OneReply http;
        http.reply = row.reply;
        fakes::RecordingConsole console;
        AppContext ctx(Services{.console = &console, .http = &http},
                       Endpoints{"", "https://ip.test:8443", "", ""});
        EXPECT_EQ(publicIpAddress(ctx), row.shown);
        EXPECT_EQ(console.lines,
                  row.printed.empty() ? std::vector<std::string>{} : std::vector{row.printed});
        EXPECT_EQ(http.url, "https://ip.test:8443/tools/getpublicip.php");
        EXPECT_EQ(http.bound, std::chrono::milliseconds(5000)) << "the window never waits longer";
    }
}

}  // namespace
}  // namespace twl
