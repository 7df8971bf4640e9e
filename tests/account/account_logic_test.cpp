#include <gtest/gtest.h>

#include "account/account_reply.h"
#include "account/query_escaping.h"
#include "platform/json_reading.h"
#include "platform/utf8_text.h"

namespace twl {
namespace {

using nlohmann::json;

TEST(SortAccountReply, EachReplySortsIntoItsOutcome) {
    using enum AccountOutcome;
    const std::string no = "Username or password is incorrect.", network = "Network error!";
    const std::tuple<json, AccountOutcome, std::string> rows[] = {
        {{{"response", "success"}, {"status", "Paid"}, {"message", 3}}, accepted, ""},
        {{{"response", "fail"}, {"status", 7}}, refused, no},  // status not read
        {{{"response", "Success"}, {"status", "Paid"}}, refused, no},
        {{{"response", "success"}, {"status", "paid"}, {"message", " Renew!\n"}},
         notPaid,
         " Renew!\n"},
        // Replies the API never gives: not to be mistaken for an answer.
        {json::array({"success"}), networkError, network},
        {{{"response", true}}, networkError, network},
        {{{"response", "success"}, {"status", "Unpaid"}}, networkError, network},
    };
    for (const auto& [value, outcome, message] : rows) {
        const SortedAccountReply sorted = sortAccountReply(value, std::nullopt);
        EXPECT_EQ(sorted.outcome, outcome) << value;
        EXPECT_EQ(sorted.message, message) << value;
    }
    const json paid{{"response", "success"}, {"status", "Paid"}};
    EXPECT_EQ(sortAccountReply(paid, "timed out").outcome, networkError) << "an error wins";
}

TEST(QueryEscaping, PasswordsAreEncodedWholeAndUserNamesKeepTheirValidEscapes) {
    const std::tuple<std::string, std::string, std::string> rows[] = {
        // given, as a password, as a user name
        {"AZaz09-._~", "AZaz09-._~", "AZaz09-._~"},
        {"a b&c=d+e#f", "a%20b%26c%3Dd%2Be%23f", "a%20b%26c%3Dd%2Be%23f"},
        {"john%20doe", "john%2520doe", "john%20doe"},
        {"%4", "%254", "%254"},
        {"%4g", "%254g", "%254g"},
        {"%%20", "%25%2520", "%25%20"},
        {"\"'/?:@;", "%22%27%2F%3F%3A%40%3B", "%22%27%2F%3F%3A%40%3B"},
        {"Zo\xC3\xAB", "Zo%C3%AB", "Zo%C3%AB"},
    };
    for (const auto& [given, password, userName] : rows) {
        EXPECT_EQ(percentEncodeAll(given), password) << given;
        EXPECT_EQ(percentEncodeKeepingEscapes(given), userName) << given;
    }
}

// Only brackets outside strings count toward the depth; a string ends at the
// first quote that is not escaped.
TEST(JsonReading, DepthCountsBracketsOutsideStringsOnly) {
    const std::pair<const char*, bool> rows[] = {
        {R"([{"a":1}])", true},   {R"([{"a":[]}])", false},   {R"([["[[[{{{"]])", true},
        {R"([["\"[[["]])", true}, {R"([["\\",[1]]])", false},
    };
    for (const auto& [text, accepted] : rows) {
        std::string error;
        EXPECT_EQ(readOutsideJson(text, error, 2).has_value(), accepted) << text << ": " << error;
    }
    // The error goes to the console: it tells where, without echoing the reply.
    std::string error;
    EXPECT_FALSE(readOutsideJson(R"({"a":")" + std::string(100'000, 'x'), error));
    EXPECT_TRUE(error.starts_with("[json.exception.parse_error")) << error;
    EXPECT_LT(error.size(), 200u) << error;
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
