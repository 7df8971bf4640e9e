#include "account/account_reply.h"

#include <gtest/gtest.h>

#include "account/account_check.h"
#include "account/account_effects.h"
#include "account/query_escaping.h"
#include "app/app_context.h"
#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"

namespace twl {
namespace {

using nlohmann::json;

struct SortRow {
    const char* name;
    std::optional<json> value;
    std::optional<std::string> error;
    AccountOutcome outcome;
    std::string message;
};

const std::string refusedText = "Username or password is incorrect.";
const std::string networkText = "Network error!";

TEST(SortAccountReply, DefinedOutcomes) {
    const SortRow rows[] = {
        {"paid without message",
         json{{"response", "success"}, {"status", "Paid"}},
         {},
         AccountOutcome::accepted,
         ""},
        {"extra members ignored",
         json{{"response", "success"}, {"status", "Paid"}, {"message", 3}, {"x", {1, 2}}},
         {},
         AccountOutcome::accepted,
         ""},
        {"other response, no status",
         json{{"response", "fail"}},
         {},
         AccountOutcome::refused,
         refusedText},
        {"other response, status not read",
         json{{"response", "fail"}, {"status", 7}},
         {},
         AccountOutcome::refused,
         refusedText},
        {"capital S is refused",
         json{{"response", "Success"}, {"status", "Paid"}},
         {},
         AccountOutcome::refused,
         refusedText},
        {"surrounding blank is refused",
         json{{"response", "success "}, {"status", "Paid"}},
         {},
         AccountOutcome::refused,
         refusedText},
        {"not paid shows the message verbatim",
         json{{"response", "success"}, {"status", "Expired"}, {"message", "  Renew, please!\n"}},
         {},
         AccountOutcome::notPaid,
         "  Renew, please!\n"},
        {"lower-case paid is not paid",
         json{{"response", "success"}, {"status", "paid"}, {"message", "m"}},
         {},
         AccountOutcome::notPaid,
         "m"},
        {"an error wins over any value", json{{"response", "success"}, {"status", "Paid"}},
         "timed out", AccountOutcome::networkError, networkText},
        {"an error alone", std::nullopt, "refused", AccountOutcome::networkError, networkText},
    };
    for (const auto& row : rows) {
        const SortedAccountReply sorted = sortAccountReply(row.value, row.error);
        EXPECT_EQ(sorted.outcome, row.outcome) << row.name;
        EXPECT_EQ(sorted.message, row.message) << row.name;
    }
}

// Replies the API never gives: they must not be mistaken for an answer.
TEST(SortAccountReply, UndefinedRepliesAreNetworkErrors) {
    const std::pair<const char*, json> rows[] = {
        {"array", json::array({"success"})},
        {"bare string", json("success")},
        {"null", json(nullptr)},
        {"number", json(1)},
        {"no response", json::object()},
        {"response not a string", json{{"response", true}}},
        {"success without status", json{{"response", "success"}}},
        {"status not a string", json{{"response", "success"}, {"status", 1}}},
        {"not paid without message", json{{"response", "success"}, {"status", "Unpaid"}}},
        {"message not a string",
         json{{"response", "success"}, {"status", "Unpaid"}, {"message", nullptr}}},
    };
    for (const auto& [name, value] : rows) {
        const SortedAccountReply sorted = sortAccountReply(value, std::nullopt);
        EXPECT_EQ(sorted.outcome, AccountOutcome::networkError) << name;
        EXPECT_EQ(sorted.message, networkText) << name;
    }
}

TEST(QueryEscaping, PasswordsAreEncodedWhole) {
    const std::pair<std::string, std::string> rows[] = {
        {"AZaz09-._~", "AZaz09-._~"},
        {"open sesame", "open%20sesame"},
        {"a&b=c+d#e", "a%26b%3Dc%2Bd%23e"},
        {"%20", "%2520"},
        {"\"'/?:@;", "%22%27%2F%3F%3A%40%3B"},
        {"\xC3\xA9", "%C3%A9"},
        {"", ""},
    };
    for (const auto& [typed, sent] : rows) {
        EXPECT_EQ(percentEncodeAll(typed), sent) << typed;
    }
}

TEST(QueryEscaping, UserNamesKeepTheirValidEscapes) {
    const std::pair<std::string, std::string> rows[] = {
        {"john%20doe", "john%20doe"},  // the login screen's form goes out unchanged
        {"%2f%7E", "%2f%7E"},          // either case of hex digit
        {"50%off", "50%25off"},        // not an escape: the "%" itself is sent
        {"100%", "100%25"},            // "%" at the end
        {"%4", "%254"},                // one digit short
        {"%2g", "%252g"},              // not hex
        {"%%20", "%25%20"},            // only the second opens an escape
        {"a&b=c+d#e", "a%26b%3Dc%2Bd%23e"},
        {"john doe", "john%20doe"},
        {"Zo\xC3\xAB", "Zo%C3%AB"},
    };
    for (const auto& [given, sent] : rows) {
        EXPECT_EQ(percentEncodeKeepingEscapes(given), sent) << given;
    }
}

TEST(AccountCheckUrl, PutsTheEncodedValuesInTheQuery) {
    EXPECT_EQ(accountCheckUrl("https://api.test", "john%20doe", "p w&x=1"),
              "https://api.test/publicapi?method=get_user&username=john%20doe&password=p%20w%26x%"
              "3D1");
}

class AccountEffects : public ::testing::Test {
  protected:
    fakes::MemorySettingsStore store;
    AppContext ctx{Services{.settings = &store}, Endpoints{}};
};

TEST_F(AccountEffects, AcceptedStoresTheValuesThatWereSentInOrder) {
    applyAccountOutcome(ctx, AccountOutcome::accepted, "john%20doe", "pass word");
    EXPECT_EQ(ctx.accountUserName, "john%20doe");
    EXPECT_EQ(ctx.accountPassword, "pass word");
    EXPECT_EQ(storedString(store, keys::vpnUserName), "john%20doe");
    EXPECT_EQ(storedString(store, keys::vpnUserPassword), "pass word");
    EXPECT_EQ(store.writtenKeys(), (std::vector<std::string>{"vpnUserName", "vpnUserPassword"}))
        << "automatic sign-in is the login screen's remember-me step";
}

TEST_F(AccountEffects, RefusedSwitchesAutomaticSignInOffAndNothingElse) {
    store.setBool(true, keys::autoLogin);
    applyAccountOutcome(ctx, AccountOutcome::refused, "u", "p");
    EXPECT_FALSE(storedFlagIsSet(store, keys::autoLogin));
    EXPECT_EQ(store.values().count(keys::autoLogin), 1u) << "written false, not removed";
    EXPECT_EQ(ctx.accountUserName, "");
}

TEST_F(AccountEffects, NotPaidAndNetworkErrorChangeNothing) {
    ctx.accountUserName = "earlier";
    for (auto outcome : {AccountOutcome::notPaid, AccountOutcome::networkError}) {
        applyAccountOutcome(ctx, outcome, "u", "p");
    }
    EXPECT_TRUE(store.writtenKeys().empty());
    EXPECT_EQ(ctx.accountUserName, "earlier");
    EXPECT_EQ(ctx.accountPassword, "");
}

TEST_F(AccountEffects, RememberMeOnlyEverSwitchesAutomaticSignInOn) {
    rememberAcceptedAccount(ctx, false);
    EXPECT_TRUE(store.writtenKeys().empty());
    rememberAcceptedAccount(ctx, true);
    EXPECT_TRUE(storedFlagIsSet(store, keys::autoLogin));
    rememberAcceptedAccount(ctx, false);
    EXPECT_TRUE(storedFlagIsSet(store, keys::autoLogin)) << "off after an earlier on keeps it on";
}

}  // namespace
}  // namespace twl
