#include "account/account_check.h"

#include <gtest/gtest.h>

#include "account/account_effects.h"
#include "account/account_reply.h"
#include "account/awaitable_run_loop.h"
#include "account/devprovider_process.h"
#include "app/app_context.h"
#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "fakes/recording_console.h"
#include "platform/curl/curl_http_transport.h"

namespace twl {
namespace {

using fakes::DevproviderProcess;
using nlohmann::json;

json account(const std::string& user, const std::string& password, const std::string& status,
             const std::string& message = "") {
    return {{"user", user}, {"password", password}, {"status", status}, {"message", message}};
}

const json testAccounts = json::array({
    account("paid", "s3cret-Pass", "Paid"),
    account("late", "s3cret-Pass", "Expired", "Your plan ended. Renew, please."),
});

struct Check {
    int calls = 0;
    std::optional<json> value;
    std::optional<std::string> error;
    SortedAccountReply sorted() const { return sortAccountReply(value, error); }
};

// The client's real wiring against a provider on loopback: real transport,
// its CA trusted as the build's extra CA.
class AccountCheckTest : public ::testing::Test {
  protected:
    explicit AccountCheckTest(fakes::DevproviderSetup setup = {.accounts = testAccounts})
        : provider(std::move(setup)),
          transport(loop, provider.caFile()),
          ctx(
              Services{
                  .runLoop = &loop, .settings = &store, .console = &console, .http = &transport},
              Endpoints{provider.baseUrl(), provider.baseUrl(), "vpn.test", provider.caFile()}) {}

    std::shared_ptr<Check> start(const std::string& userName, const std::string& password) {
        auto check = std::make_shared<Check>();
        checkAccount(ctx, userName, password, [check](auto value, auto error) {
            ++check->calls;
            check->value = std::move(value);
            check->error = std::move(error);
        });
        return check;
    }

    std::shared_ptr<Check> run(const std::string& userName, const std::string& password) {
        auto check = start(userName, password);
        EXPECT_TRUE(loop.runUntil([&] { return check->calls > 0; }));
        return check;
    }

    fakes::AwaitableRunLoop loop;
    fakes::MemorySettingsStore store;
    fakes::RecordingConsole console;
    DevproviderProcess provider;
    CurlHttpTransport transport;
    AppContext ctx;
};

TEST_F(AccountCheckTest, EachAnswerOfTheApiSortsIntoItsOutcome) {
    struct Row {
        const char* user;
        const char* password;
        AccountOutcome outcome;
        std::string message;
        const char* target;
    };
    const Row rows[] = {
        {"paid", "s3cret-Pass", AccountOutcome::accepted, "",
         "/publicapi?method=get_user&username=paid&password=s3cret-Pass"},
        {"paid", "wrong", AccountOutcome::refused, "Username or password is incorrect.",
         "/publicapi?method=get_user&username=paid&password=wrong"},
        {"late", "s3cret-Pass", AccountOutcome::notPaid, "Your plan ended. Renew, please.",
         "/publicapi?method=get_user&username=late&password=s3cret-Pass"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const SortedAccountReply sorted = run(row.user, row.password)->sorted();
        EXPECT_EQ(sorted.outcome, row.outcome) << row.target;
        EXPECT_EQ(sorted.message, row.message) << row.target;

        const auto requests = provider.recordedRequests();
        ASSERT_EQ(requests.size(), i + 1);
        EXPECT_EQ(requests[i]["method"], "GET");
        EXPECT_EQ(requests[i]["target"], row.target);
        EXPECT_EQ(requests[i]["contentType"], json::array({"application/json"}))
            << "exactly one Content-Type header";
    }
    EXPECT_TRUE(console.lines.empty());
    EXPECT_EQ(provider.log().find("s3cret"), std::string::npos) << "no password in its log";
    EXPECT_NE(provider.log().find("username=late"), std::string::npos);
}

TEST_F(AccountCheckTest, AnUnreachableApiIsANetworkErrorWithItsLine) {
    AppContext elsewhere(
        Services{.runLoop = &loop, .settings = &store, .console = &console, .http = &transport},
        Endpoints{"https://127.0.0.1:" + std::to_string(DevproviderProcess::unusedPort()), "", "",
                  ""});
    auto check = std::make_shared<Check>();
    checkAccount(elsewhere, "paid", "s3cret-Pass", [check](auto value, auto error) {
        ++check->calls;
        check->value = std::move(value);
        check->error = std::move(error);
    });
    ASSERT_TRUE(loop.runUntil([&] { return check->calls > 0; }));
    const SortedAccountReply sorted = check->sorted();
    EXPECT_EQ(sorted.outcome, AccountOutcome::networkError);
    EXPECT_EQ(sorted.message, "Network error!");
    ASSERT_EQ(console.lines.size(), 1u);
    EXPECT_EQ(console.lines[0].rfind("Error message:", 0), 0u) << console.lines[0];
    EXPECT_EQ(console.lines[0].find("s3cret"), std::string::npos) << "no password in the line";
    applyAccountOutcome(elsewhere, sorted.outcome, "paid", "s3cret-Pass");
    EXPECT_TRUE(store.writtenKeys().empty());
}

TEST_F(AccountCheckTest, TwoChecksInFlightEachGetTheirOwnAnswer) {
    auto accepted = start("paid", "s3cret-Pass");
    auto refused = start("paid", "nope");
    ASSERT_TRUE(loop.runUntil([&] { return accepted->calls > 0 && refused->calls > 0; }));
    EXPECT_EQ(accepted->calls, 1);
    EXPECT_EQ(refused->calls, 1);
    EXPECT_EQ(accepted->sorted().outcome, AccountOutcome::accepted);
    EXPECT_EQ(refused->sorted().outcome, AccountOutcome::refused);
}

TEST_F(AccountCheckTest, AnHttpRequestWhoseUrlHasABlankMakesNoRequest) {
    auto request = HttpRequest::create(ctx);
    int calls = 0;
    std::optional<std::string> error;
    request->myBlock = [&](auto value, auto e) {
        ++calls;
        EXPECT_EQ(value, std::nullopt);
        error = std::move(e);
    };
    request->sendRequest(HttpMethod::get, provider.baseUrl() + "/publicapi?password=open sesame");
    request.reset();
    EXPECT_EQ(calls, 0);
    loop.runPending();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(error.has_value());
    ASSERT_EQ(console.lines.size(), 1u);
    EXPECT_EQ(console.lines[0], "Error message:" + error.value_or(""));
    EXPECT_TRUE(provider.recordedRequests().empty());
}

// Credentials as typed, and the user name as the login screen hands it over
// (blanks already "%20"): the server must decode exactly what was typed, which
// the provider shows by accepting the account.
struct Credentials {
    const char* name;
    std::string typedUser;
    std::string sentUser;
    std::string password;
};

const Credentials awkward[] = {
    {"blanks", "john doe", "john%20doe", "open sesame"},
    {"query separators", "a&b=c", "a&b=c", "p&q=r&password=x"},
    {"fragment mark", "x#y", "x#y", "#hash"},
    {"plus signs", "plus+sign", "plus+sign", "1+1=2"},
    {"percent signs", "50%off", "50%off", "100%25"},
    {"quotes", "o'neil \"q\"", "o'neil%20\"q\"", "\"'\\"},
    {"non-ASCII", "Zo\xC3\xAB", "Zo\xC3\xAB", "na\xC3\xAFve \xE2\x82\xAC"},
    {"slashes and colons", "a/b:c@d", "a/b:c@d", "?/;:@,"},
};

json awkwardAccounts() {
    json accounts = json::array();
    for (const auto& c : awkward) {
        accounts.push_back(account(c.typedUser, c.password, "Paid"));
    }
    return accounts;
}

class AwkwardCredentialsTest : public AccountCheckTest {
  protected:
    AwkwardCredentialsTest() : AccountCheckTest({.accounts = awkwardAccounts()}) {}
};

TEST_F(AwkwardCredentialsTest, ArriveDecodedToExactlyWhatWasTyped) {
    for (const auto& c : awkward) {
        const auto check = run(c.sentUser, c.password);
        EXPECT_EQ(check->sorted().outcome, AccountOutcome::accepted) << c.name;
    }
    const auto requests = provider.recordedRequests();
    ASSERT_EQ(requests.size(), std::size(awkward));
    EXPECT_EQ(requests[0]["target"],
              "/publicapi?method=get_user&username=john%20doe&password=open%20sesame");
    for (const auto& request : requests) {
        const std::string target = request["target"];
        EXPECT_EQ(target.find_first_of(" #+\"'"), std::string::npos) << target;
    }
    EXPECT_EQ(console.lines, std::vector<std::string>{});
}

// Replies the account API never gives must leave everything as it was.
struct UndefinedReply {
    const char* name;
    const char* body;
};

void PrintTo(const UndefinedReply& reply, std::ostream* out) {
    *out << reply.body;
}

class UndefinedReplyTest : public AccountCheckTest,
                           public ::testing::WithParamInterface<UndefinedReply> {
  protected:
    UndefinedReplyTest() : AccountCheckTest({.arguments = {"--fixed-body", GetParam().body}}) {}
};

TEST_P(UndefinedReplyTest, IsANetworkErrorThatChangesNoKey) {
    store.setBool(true, keys::autoLogin);
    const auto writesBefore = store.writtenKeys().size();
    const auto check = run("paid", "s3cret-Pass");
    EXPECT_EQ(check->error, std::nullopt) << "it did decode";
    const SortedAccountReply sorted = check->sorted();
    EXPECT_EQ(sorted.outcome, AccountOutcome::networkError);
    EXPECT_EQ(sorted.message, "Network error!");
    applyAccountOutcome(ctx, sorted.outcome, "paid", "s3cret-Pass");
    EXPECT_EQ(store.writtenKeys().size(), writesBefore);
    EXPECT_TRUE(storedFlagIsSet(store, keys::autoLogin));
    EXPECT_EQ(ctx.accountUserName, "");
}

// One of each kind; the sorting's own table covers every member.
INSTANTIATE_TEST_SUITE_P(
    Replies, UndefinedReplyTest,
    ::testing::Values(UndefinedReply{"BareString", R"("success")"},
                      UndefinedReply{"NoStatus", R"({"response":"success"})"},
                      UndefinedReply{
                          "MessageNotString",
                          R"({"response":"success","status":"Unpaid","message":["x"]})"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace twl
