// The real login screen (the client's layout, Qt widgets, libcurl) signing in
// against the local provider, driven through the keyboard as a user would.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "account/devprovider_process.h"
#include "app/app_context.h"
#include "app/register_screens.h"
#include "app/settings_keys.h"
#include "app/storyboard.h"
#include "fakes/fake_bundle.h"
#include "fakes/fake_file_manager.h"
#include "fakes/fake_workspace.h"
#include "fakes/fixed_proxy_settings.h"
#include "fakes/memory_settings_store.h"
#include "fakes/recording_console.h"
#include "fakes/recording_notification_center.h"
#include "fakes/simulated_system.h"
#include "platform/curl/curl_http_transport.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_window.h"
#include "platform/view_controller.h"

namespace twl {
namespace {

// Runs the event loop until the condition holds; the limit only guards
// against a hang.
bool spinUntil(const std::function<bool()>& done, int limitMs = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

// The client's wiring around one main window, with the account web API at
// `apiBaseUrl`; the main screen it opens is the real one.
class QtSignIn {
  public:
    QtSignIn(const std::string& apiBaseUrl, const std::string& caFile)
        : http(loop, caFile),
          context(Services{.runLoop = &loop,
                           .settings = &settings,
                           .console = &console,
                           .fileManager = &files,
                           .bundle = &bundle,
                           .interpreter = &system,
                           .http = &http,
                           .proxySettings = &proxySettings,
                           .notifications = &notifications,
                           .workspace = &workspace,
                           .storyboard = &storyboard},
                  Endpoints{apiBaseUrl, apiBaseUrl, "vpn.test", caFile}) {
        registerScreens(storyboard, context);
        window = QtWindow::createMain(*layouts, [] { return true; });
        window->show();
        window->setContentViewController(
            storyboard.instantiateControllerWithIdentifier("LoginController"));
    }
    ~QtSignIn() {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename Widget>
    Widget* find(const char* name) const {
        return window->widget()->findChild<Widget*>(QString::fromLatin1(name));
    }

    // Types into both fields and presses Return in the password field.
    void signIn(const QString& userName, const QString& password) {
        auto* user = find<QLineEdit>("edtUserName");
        auto* pass = find<QLineEdit>("edtUserPassword");
        ASSERT_TRUE(user && pass);
        user->clear();
        pass->clear();
        QTest::keyClicks(user, userName);
        QTest::keyClicks(pass, password);
        QTest::keyClick(pass, Qt::Key_Return);
    }

    bool showsMainScreen() const {
        auto shown = window->contentViewController();
        return shown && shown->storyboardIdentifier() == "MainController";
    }
    // The error panel with this message, once it is on screen.
    bool showsError(const QString& message) const {
        auto* panel = find<QWidget>("viewIncorectInfo");
        auto* label = find<QLabel>("lblErrorMessage");
        return panel && label && panel->isVisible() && label->text() == message;
    }

    QtRunLoop loop;
    fakes::MemorySettingsStore settings;
    fakes::RecordingConsole console;
    fakes::FakeFileManager files;
    fakes::FakeBundle bundle;
    fakes::SimulatedSystem system{files};
    fakes::FakeWorkspace workspace;
    fakes::FixedProxySettings proxySettings;
    fakes::RecordingNotificationCenter notifications;
    CurlHttpTransport http;
    Storyboard storyboard;
    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
    AppContext context;
    std::shared_ptr<QtWindow> window;
};

TEST(QtLoginScreen, TypingAndReturnSignsInOrSaysWhyNot) {
    fakes::DevproviderProcess provider;
    QtSignIn client(provider.baseUrl(), provider.caFile());

    struct Row {
        const char* name;
        QString userName;
        QString password;
        QString message;
    };
    const Row rows[] = {
        {"not paid", "unpaid", "unpaid-pass",
         "Your subscription has expired. Please renew it on our website."},
        {"wrong password", "demo", "not-the-pass", "Username or password is incorrect."},
        {"empty password", "demo", "", "Please input password"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        client.find<QLabel>("lblErrorMessage")->clear();
        client.signIn(row.userName, row.password);
        EXPECT_TRUE(spinUntil([&] { return client.showsError(row.message); }))
            << client.find<QLabel>("lblErrorMessage")->text().toStdString();
        EXPECT_FALSE(client.showsMainScreen());
        EXPECT_TRUE(client.find<QLineEdit>("edtUserName")->isEnabled());
    }

    client.signIn("john doe", "open sesame");
    ASSERT_TRUE(spinUntil([&] { return client.showsMainScreen(); }));
    EXPECT_EQ(client.settings.objectForKey(keys::vpnUserName), SettingValue("john%20doe"));
    EXPECT_EQ(client.context.accountPassword, "open sesame");
    EXPECT_EQ(client.console.lines, std::vector<std::string>(2, "Stop rotating"));
}

TEST(QtLoginScreen, AProviderThatCannotBeReachedIsANetworkError) {
    const std::string nowhere =
        "https://127.0.0.1:" + std::to_string(fakes::DevproviderProcess::unusedPort());
    QtSignIn client(nowhere, "");
    client.signIn("demo", "demo-pass");
    EXPECT_TRUE(spinUntil([&] { return client.showsError("Network error!"); }));
    EXPECT_FALSE(client.showsMainScreen());
}

}  // namespace
}  // namespace twl
