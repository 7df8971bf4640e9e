// The whole road through the real screens on real widgets (offscreen): sign
// in, connect through the administrator dialog, connected, settings and back,
// sign out. The system behind the screens is played by the fakes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/app_context.h"
#include "app/register_screens.h"
#include "app/settings_keys.h"
#include "app/storyboard.h"
#include "fakes/fake_bundle.h"
#include "fakes/fake_file_manager.h"
#include "fakes/fake_workspace.h"
#include "fakes/fixed_proxy_settings.h"
#include "fakes/memory_settings_store.h"
#include "fakes/recording_alert_presenter.h"
#include "fakes/recording_console.h"
#include "fakes/recording_notification_center.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/simulated_system.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_window.h"
#include "platform/view_controller.h"
#include "privileged/commands.h"

namespace twl {
namespace {

bool spinUntil(const std::function<bool()>& done, int limitMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

// The widget of that name on screen in any window (the dialog has its own).
template <typename Widget>
Widget* visible(const char* name) {
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible()) {
            if (auto* typed = qobject_cast<Widget*>(widget)) {
                return typed;
            }
        }
    }
    return nullptr;
}

void click(const char* name) {
    auto* button = visible<QAbstractButton>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

void type(const char* field, const QString& text) {
    auto* edit = visible<QLineEdit>(field);
    ASSERT_NE(edit, nullptr) << field;
    edit->clear();
    QTest::keyClicks(edit, text);
}

QString labelText(const char* name) {
    auto* label = visible<QLabel>(name);
    return label ? label->text() : QString();
}

class WholeRoad : public ::testing::Test {
  protected:
    WholeRoad()
        : context(Services{.runLoop = &loop,
                           .settings = &settings,
                           .console = &console,
                           .fileManager = &files,
                           .bundle = &bundle,
                           .interpreter = &system,
                           .http = &http,
                           .proxySettings = &proxySettings,
                           .notifications = &notifications,
                           .workspace = &workspace,
                           .alerts = &alerts,
                           .storyboard = &storyboard},
                  Endpoints{"https://api.test", "https://ip.test", "vpn.test", ""}) {
        proxySettings.settings = fakes::FixedProxySettings::withInterfaces({"lo", "en0"});
        registerScreens(storyboard, context);
        window = QtWindow::createMain(*layouts, [] { return true; });
        window->show();
        window->setContentViewController(
            storyboard.instantiateControllerWithIdentifier("LoginController"));
    }
    ~WholeRoad() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::string showing() const {
        auto shown = window->contentViewController();
        return shown ? shown->storyboardIdentifier() : "";
    }

    QtRunLoop loop;
    fakes::MemorySettingsStore settings;
    fakes::RecordingConsole console;
    fakes::FakeFileManager files;
    fakes::FakeBundle bundle;
    fakes::SimulatedSystem system{files};
    fakes::ScriptedHttpTransport http{loop};
    fakes::FixedProxySettings proxySettings;
    fakes::RecordingNotificationCenter notifications;
    fakes::FakeWorkspace workspace;
    fakes::RecordingAlertPresenter alerts;
    Storyboard storyboard;
    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
    AppContext context;
    std::shared_ptr<QtWindow> window;
};

TEST_F(WholeRoad, SignInConnectThroughTheDialogVisitSettingsAndSignOut) {
    // Sign in.
    http.scriptJson(
        fakes::ScriptedHttpTransport::success({{"response", "success"}, {"status", "Paid"}}));
    http.scriptText(TextReply{"198.51.100.1", {}});
    type("edtUserName", "demo");
    type("edtUserPassword", "demo-pass");
    click("btnLogin");
    ASSERT_TRUE(spinUntil([&] { return showing() == "MainController"; }));
    EXPECT_EQ(labelText("lblIPAddress"), "198.51.100.1");

    // Connect: no administrator yet, so the dialog asks; a wrong pair first.
    click("btnConnect");
    ASSERT_TRUE(spinUntil([] { return visible<QLineEdit>("edtUserPassword") != nullptr; }));
    type("edtUserName", "admin");
    type("edtUserPassword", "wrong");
    click("btnOK");
    EXPECT_TRUE(spinUntil([] { return visible<QLabel>("txtIncorrectPassword") != nullptr; }));
    type("edtUserPassword", "admin-pass");
    click("btnOK");
    ASSERT_TRUE(spinUntil([] { return visible<QLineEdit>("edtUserPassword") == nullptr; }));
    EXPECT_EQ(storedString(settings, keys::username), "admin");

    // The register tick goes on: provisioning, then the connect command; the
    // system brings the tunnel up when it is asked to.
    http.scriptText(TextReply{"203.0.113.9", {}});
    ASSERT_TRUE(spinUntil([&] {
        const auto& run = system.commandsRun;
        if (std::find(run.begin(), run.end(), commands::connectService()) != run.end()) {
            proxySettings.settings = fakes::FixedProxySettings::withInterfaces({"en0", "ppp0"});
        }
        return labelText("lblConnectStatus") == "Connected";
    }));
    EXPECT_EQ(labelText("lblIPAddress"), "203.0.113.9");
    EXPECT_EQ(context.statusBarButton->imageName(), "menubar_hover");
    EXPECT_TRUE(context.isConnected);
    EXPECT_FALSE(context.isConnecting);

    // Settings and back: a fresh main screen, still connected underneath.
    click("btnSetting");
    ASSERT_TRUE(spinUntil([&] { return showing() == "SettingController"; }));
    EXPECT_EQ(visible<QLineEdit>("edtServerUrl")->text(), "vpn.test");
    click("btnBack");
    ASSERT_TRUE(spinUntil([&] { return showing() == "MainController"; }));

    // Sign out while connected: disconnected, no automatic sign-in next time.
    click("btnSignOut");
    ASSERT_TRUE(spinUntil([&] { return showing() == "LoginController"; }));
    EXPECT_FALSE(context.isConnected);
    // The disconnect, then the new login screen's tool step with the stored
    // pair, which removes the marker the dialog had installed.
    const auto& run = system.commandsRun;
    ASSERT_GE(run.size(), 2u);
    EXPECT_EQ(run[run.size() - 2], commands::disconnectService());
    EXPECT_EQ(run.back(), commands::removeMarker());
    EXPECT_EQ(settings.objectForKey(keys::autoLogin), SettingValue{false});
    EXPECT_EQ(context.statusBarButton->imageName(), "menubar");
}

}  // namespace
}  // namespace twl
