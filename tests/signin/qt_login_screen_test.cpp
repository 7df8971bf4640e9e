// The real login screen (the client's layout, Qt widgets, libcurl) telling
// the user why a sign-in failed: the provider's refusal, or no provider at all.
#include "account/devprovider_process.h"
#include "platform/curl/curl_http_transport.h"
#include "qt_client.h"

namespace twl {
namespace {

using namespace test_support;

TEST(QtLoginScreen, ARefusalOrAnUnreachableProviderIsShownAndTheScreenStays) {
    fakes::DevproviderProcess provider;
    const std::string closed =
        "https://127.0.0.1:" + std::to_string(fakes::DevproviderProcess::unusedPort());
    const std::tuple<std::string, QString> rows[] = {
        {provider.baseUrl(), "Username or password is incorrect."},
        {closed, "Network error!"},
    };
    for (const auto& [apiBaseUrl, message] : rows) {
        QtClient<CurlHttpTransport> client(
            {.endpoints = {apiBaseUrl, apiBaseUrl, "vpn.test", provider.caFile()}},
            provider.caFile());
        type("edtUserName", "demo");
        type("edtUserPassword", "not-the-pass");
        QTest::keyClick(visible<QLineEdit>("edtUserPassword"), Qt::Key_Return);
        EXPECT_TRUE(spinUntil([&] { return labelText("lblErrorMessage") == message; }, 20000))
            << labelText("lblErrorMessage").toStdString();
        EXPECT_EQ(client.showing(), "LoginController");
    }
}

}  // namespace
}  // namespace twl
