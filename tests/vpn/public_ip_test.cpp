#include "vpn/public_ip.h"

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "fakes/recording_console.h"
#include "scripted_text_transport.h"

namespace twl {
namespace {

struct Row {
    const char* name;
    TextReply reply;
    std::string shown;
    std::vector<std::string> printed;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class PublicIpAddress : public ::testing::TestWithParam<Row> {};

TEST_P(PublicIpAddress, ShowsTheTrimmedReplyOrNothing) {
    testing::ScriptedTextTransport http;
    fakes::RecordingConsole console;
    AppContext ctx(Services{.console = &console, .http = &http},
                   Endpoints{"https://api.test", "https://ip.test:8443", "vpn.test", ""});
    http.reply = GetParam().reply;

    EXPECT_EQ(publicIpAddress(ctx), GetParam().shown);
    EXPECT_EQ(console.lines, GetParam().printed);
    ASSERT_EQ(http.gets.size(), 1u);
    EXPECT_EQ(http.gets[0].url, "https://ip.test:8443/tools/getpublicip.php");
    EXPECT_EQ(http.gets[0].bound, std::chrono::milliseconds(5000))
        << "the window never waits longer";
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PublicIpAddress,
    ::testing::Values(
        Row{"plain", {"203.0.113.7", {}}, "203.0.113.7", {}},
        Row{"blanks_and_tabs_trimmed", {" \t203.0.113.7 \t ", {}}, "203.0.113.7", {}},
        Row{"line_break_kept", {"203.0.113.7\n", {}}, "203.0.113.7\n", {}},
        Row{"blank_after_line_break_trimmed", {"203.0.113.7\n  ", {}}, "203.0.113.7\n", {}},
        Row{"inner_blank_kept", {" a b ", {}}, "a b", {}}, Row{"only_blanks", {" \t ", {}}, "", {}},
        Row{"empty_reply_prints_nothing", {"", {}}, "", {}},
        Row{"any_text_is_shown", {"<html>Ünïcode</html>", {}}, "<html>Ünïcode</html>", {}},
        Row{"network_error",
            {{}, "Couldn't connect to server"},
            "",
            {"Error: Couldn't connect to server"}},
        Row{"time_bound_reached", {{}, "Timeout was reached"}, "", {"Error: Timeout was reached"}},
        Row{"not_utf8", {"203.0.113.7\xff", {}}, "", {"Error: the reply is not UTF-8 text"}},
        Row{"overlong_utf8", {"\xc0\xaf", {}}, "", {"Error: the reply is not UTF-8 text"}},
        Row{"truncated_utf8", {"ab\xe2\x82", {}}, "", {"Error: the reply is not UTF-8 text"}},
        Row{"utf16_surrogate", {"\xed\xa0\x80", {}}, "", {"Error: the reply is not UTF-8 text"}},
        Row{"neither_text_nor_error", {{}, {}}, "", {"Error: no reply"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PublicIpAddressRepeats, EveryCallAsksAfresh) {
    testing::ScriptedTextTransport http;
    fakes::RecordingConsole console;
    AppContext ctx(Services{.console = &console, .http = &http},
                   Endpoints{"", "https://ip.test", "", ""});
    http.reply = {"198.51.100.1", {}};
    EXPECT_EQ(publicIpAddress(ctx), "198.51.100.1");
    http.reply = {"203.0.113.9", {}};
    EXPECT_EQ(publicIpAddress(ctx), "203.0.113.9");
    EXPECT_EQ(http.gets.size(), 2u);
}

}  // namespace
}  // namespace twl
