// The real login screen (the client's layout, Qt widgets, libcurl) signing in
// against the local provider, driven through the keyboard as a user would.
#include "account/devprovider_process.h"
#include "app/settings_keys.h"
#include "platform/curl/curl_http_transport.h"
#include "qt_client.h"

namespace twl {
namespace {

using namespace test_support;
using Client = QtClient<CurlHttpTransport>;

std::unique_ptr<Client> clientOf(const std::string& apiBaseUrl, const std::string& caFile) {
    return std::make_unique<Client>(
        fakes::FakeServices::Options{.endpoints = {apiBaseUrl, apiBaseUrl, "vpn.test", caFile}},
        caFile);
}

// Types into both fields and presses Return in the password field.
void signIn(const QString& userName, const QString& password) {
    type("edtUserName", userName);
    type("edtUserPassword", password);
    QTest::keyClick(visible<QLineEdit>("edtUserPassword"), Qt::Key_Return);
}

TEST(QtLoginScreen, TypingAndReturnSignsInOrSaysWhyNot) {
    fakes::DevproviderProcess provider;
    auto client = clientOf(provider.baseUrl(), provider.caFile());
    const std::tuple<QString, QString, QString> rows[] = {
        {"unpaid", "unpaid-pass", "Your subscription has expired. Please renew it on our website."},
        {"demo", "not-the-pass", "Username or password is incorrect."},
    };
    for (const auto& [user, password, message] : rows) {
        signIn(user, password);
        EXPECT_TRUE(spinUntil([&] { return labelText("lblErrorMessage") == message; }))
            << labelText("lblErrorMessage").toStdString();
        EXPECT_EQ(client->showing(), "LoginController");
    }

    signIn("john doe", "open sesame");
    ASSERT_TRUE(spinUntil([&] { return client->showing() == "MainController"; }));
    EXPECT_EQ(client->fake.settings.objectForKey(keys::vpnUserName), SettingValue("john%20doe"));
    EXPECT_EQ(client->context.accountPassword, "open sesame");
}

TEST(QtLoginScreen, AProviderThatCannotBeReachedIsANetworkError) {
    auto client = clientOf(
        "https://127.0.0.1:" + std::to_string(fakes::DevproviderProcess::unusedPort()), "");
    signIn("demo", "demo-pass");
    EXPECT_TRUE(spinUntil([&] { return labelText("lblErrorMessage") == "Network error!"; }));
    EXPECT_EQ(client->showing(), "LoginController");
}

}  // namespace
}  // namespace twl
