#include "signin/login_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/appearance.h"
#include "app/settings_keys.h"
#include "login_screen_harness.h"
#include "platform/mouse_event.h"

namespace twl {
namespace {

using nlohmann::json;
using test_support::LoginScreenHarness;

void put(fakes::MemorySettingsStore& store, const std::string& key, const SettingValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        store.setObject(*text, key);
    } else {
        store.setBool(std::get<bool>(value), key);
    }
}

std::optional<SettingValue> autoLogin(const LoginScreenHarness& ui) {
    return ui.env.settings.objectForKey(keys::autoLogin);
}

TEST(LoginScreen, ItFixesItsWindowAndClosingTheWindowHidesTheClient) {
    LoginScreenHarness ui;
    ui.load();
    EXPECT_FALSE(ui.env.window->isResizable());
    EXPECT_EQ(ui.env.context->toolResourcePath, ui.env.bundle.resources.at("macosvpn.txt"));

    ui.env.window->performClose();
    EXPECT_EQ(ui.env.workspace.hideRequests, std::vector<std::string>{"Tidewaterlink"});
    EXPECT_TRUE(ui.env.workspace.hidden);
}

TEST(LoginScreen, LoadingSignsInByItselfOnlyWithAutoLoginOnAndAStoredAccount) {
    struct Row {
        const char* name;
        std::optional<SettingValue> autoLogin;
        bool accountStored;
        bool signsIn;
    };
    const Row rows[] = {
        {"empty store", std::nullopt, false, false},
        {"AutoLogin on, no account", true, false, false},
        {"account, AutoLogin absent", std::nullopt, true, false},
        {"account, AutoLogin off", false, true, false},
        {"account, AutoLogin stored as text", std::string("true"), true, false},
        {"account, AutoLogin on", true, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoginScreenHarness ui;
        if (row.autoLogin) {
            put(ui.env.settings, keys::autoLogin, *row.autoLogin);
        }
        if (row.accountStored) {
            put(ui.env.settings, keys::vpnUserName, std::string("demo"));
            put(ui.env.settings, keys::vpnUserPassword, std::string("demo-pass"));
        }
        ui.load();

        ASSERT_EQ(ui.requestCount(), row.signsIn ? 1U : 0U);
        EXPECT_EQ(ui.busyPanelShown(), row.signsIn);
        EXPECT_EQ(ui.indicator()->isAnimating(), row.signsIn);
        EXPECT_TRUE(ui.indicator()->isHidden()) << "automatic sign-in spins it hidden";
        EXPECT_EQ(ui.field("edtUserName")->stringValue(), row.signsIn ? "demo" : "");
        EXPECT_EQ(ui.field("edtUserPassword")->stringValue(), row.signsIn ? "demo-pass" : "");
        EXPECT_TRUE(ui.env.console.lines.empty());
        EXPECT_TRUE(ui.env.system.sources.empty()) << "no administrator credentials stored";
    }
}

TEST(LoginScreen, AnIncompleteFormShowsItsMessageAndSendsNothing) {
    struct Row {
        const char* userName;
        const char* password;
        const char* message;
    };
    const Row rows[] = {
        {"", "", "Please input username"},
        {"", "secret", "Please input username"},
        {"demo", "", "Please input password"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("'") + row.userName + "' / '" + row.password + "'");
        LoginScreenHarness ui;
        ui.load();
        ui.signIn(row.userName, row.password);

        EXPECT_EQ(ui.errorMessage(), row.message);
        EXPECT_TRUE(ui.errorPanelShown());
        EXPECT_FALSE(ui.busyPanelShown()) << "the error panel takes the busy panel's place";
        EXPECT_TRUE(ui.indicator()->isHidden());
        EXPECT_FALSE(ui.indicator()->isAnimating());
        EXPECT_EQ(ui.requestCount(), 0U);
        EXPECT_TRUE(ui.formEnabled());
    }
}

TEST(LoginScreen, SpacesInTheUserNameTravelAsPercentTwentyAndAreStoredSo) {
    struct Row {
        const char* typed;
        const char* sent;
    };
    const Row rows[] = {
        {"john doe", "john%20doe"},
        {"   ", "%20%20%20"},  // blanks are a user name, not an empty field
        {"plain", "plain"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        LoginScreenHarness ui;
        ui.load();
        ui.signIn(row.typed, "open sesame");
        ASSERT_EQ(ui.requestCount(), 1U);
        EXPECT_THAT(ui.sentUrl(),
                    ::testing::HasSubstr(std::string("&username=") + row.sent + "&password="));
        EXPECT_TRUE(ui.busyPanelShown());
        EXPECT_FALSE(ui.indicator()->isHidden());
        EXPECT_TRUE(ui.indicator()->isAnimating());
        EXPECT_TRUE(ui.formEnabled()) << "the form stays usable while the check runs";

        ui.answer(LoginScreenHarness::paid());
        EXPECT_EQ(ui.env.settings.objectForKey(keys::vpnUserName), SettingValue(row.sent));
        EXPECT_EQ(ui.env.context->accountUserName, row.sent);
        EXPECT_EQ(ui.env.context->accountPassword, "open sesame");
    }
}

TEST(LoginScreen, AutomaticSignInSendsTheStoredEscapedNameUnchanged) {
    LoginScreenHarness ui;
    ui.load();
    ui.clickRemember();
    ui.signIn("john doe", "pw");
    ui.answer(LoginScreenHarness::paid());
    ASSERT_TRUE(ui.showsMainScreen());

    ui.load();  // as after a sign-out, or at the next launch
    EXPECT_EQ(ui.field("edtUserName")->stringValue(), "john%20doe");
    ASSERT_EQ(ui.requestCount(), 2U);
    EXPECT_EQ(ui.sentUrl(1), ui.sentUrl(0)) << "not escaped a second time";
    ui.answer(LoginScreenHarness::paid());
    EXPECT_TRUE(ui.showsMainScreen());
}

TEST(LoginScreen, EachFailedCheckShowsItsMessageAndEndsTheBusyState) {
    struct Row {
        const char* name;
        std::optional<json> reply;  // none: the request failed
        std::string message;
        bool switchesAutoLoginOff;
        bool stopsRotating;
    };
    const Row rows[] = {
        {"refused", LoginScreenHarness::refused(), "Username or password is incorrect.", true,
         true},
        {"not paid", LoginScreenHarness::unpaid("  Your plan ended.\n"), "  Your plan ended.\n",
         false, true},
        {"network error", std::nullopt, "Network error!", false, false},
        {"reply without members", json::object(), "Network error!", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoginScreenHarness ui;
        ui.env.settings.setBool(true, keys::autoLogin);
        ui.load();
        ui.clickRemember();
        ui.signIn("demo", "demo-pass");
        if (row.reply) {
            ui.answer(*row.reply);
        } else {
            ui.failRequest();
        }

        EXPECT_FALSE(ui.showsMainScreen());
        EXPECT_EQ(ui.errorMessage(), row.message);
        EXPECT_TRUE(ui.errorPanelShown());
        EXPECT_FALSE(ui.busyPanelShown());
        EXPECT_TRUE(ui.indicator()->isHidden());
        EXPECT_FALSE(ui.indicator()->isAnimating());
        EXPECT_TRUE(ui.formEnabled());
        EXPECT_EQ(ui.field("edtUserName")->stringValue(), "demo") << "the form is left as typed";
        EXPECT_EQ(autoLogin(ui), SettingValue(!row.switchesAutoLoginOff))
            << "whatever remember-me says";
        EXPECT_EQ(ui.env.settings.objectForKey(keys::vpnUserName), std::nullopt);
        EXPECT_EQ(ui.env.context->accountUserName, "");
        EXPECT_EQ(ui.indicator()->fakeLayer()->animationRemovals, row.stopsRotating ? 1 : 0);
        const auto& said = ui.env.console.lines;
        EXPECT_EQ(std::count(said.begin(), said.end(), "Stop rotating"), row.stopsRotating ? 1 : 0);
    }
}

TEST(LoginScreen, AnAcceptedSignInSetsAutoLoginOnlyWhenRememberMeIsOn) {
    struct Row {
        const char* name;
        std::optional<bool> before;
        int rememberClicks;
        std::optional<SettingValue> after;
        const char* image;
    };
    const Row rows[] = {
        {"remember on", std::nullopt, 1, true, "checked"},
        {"remember never touched", std::nullopt, 0, std::nullopt, ""},
        {"remember on then off", std::nullopt, 2, std::nullopt, "uncheck"},
        {"remember off after an earlier on", true, 0, true, ""},
        {"remember off with AutoLogin off", false, 0, false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoginScreenHarness ui;
        if (row.before) {
            ui.env.settings.setBool(*row.before, keys::autoLogin);
        }
        ui.load();
        for (int click = 0; click < row.rememberClicks; ++click) {
            ui.clickRemember();
        }
        EXPECT_EQ(ui.outlet<fakes::FakeImageView>("imgRemember")->imageName(), row.image);
        ui.signIn("demo", "demo-pass");
        ui.answer(LoginScreenHarness::paid());

        EXPECT_TRUE(ui.showsMainScreen());
        EXPECT_EQ(autoLogin(ui), row.after);
        EXPECT_EQ(ui.env.settings.objectForKey(keys::vpnUserPassword), SettingValue("demo-pass"));
        EXPECT_EQ(ui.env.context->accountPassword, "demo-pass");
    }
}

TEST(LoginScreen, WithoutAMainScreenAnAcceptedAccountIsStoredAndTheFormStays) {
    LoginScreenHarness ui;
    ui.env.storyboard.registerController("MainController", [] { return nullptr; });
    ui.load();
    ui.signIn("demo", "demo-pass");
    ui.answer(LoginScreenHarness::paid());
    EXPECT_EQ(ui.env.window->contentViewController(), ui.screen);
    EXPECT_EQ(ui.env.context->accountUserName, "demo");
    EXPECT_FALSE(ui.indicator()->isAnimating());
}

TEST(LoginScreen, TheErrorPanelStaysTwoSecondsAfterTheNewestMessage) {
    LoginScreenHarness ui;
    ui.load();
    ui.signIn("", "");
    ui.env.loop.advance(1.9);
    EXPECT_TRUE(ui.errorPanelShown());
    ui.env.loop.advance(0.1);
    EXPECT_FALSE(ui.errorPanelShown()) << "gone two seconds after it was shown";

    ui.signIn("", "");
    ui.env.loop.advance(1.5);
    ui.signIn("demo", "");  // a newer message restarts the wait
    EXPECT_EQ(ui.errorMessage(), "Please input password");
    ui.env.loop.advance(1.9);
    EXPECT_TRUE(ui.errorPanelShown());
    ui.env.loop.advance(0.1);
    EXPECT_FALSE(ui.errorPanelShown());
}

TEST(LoginScreen, ASecondSignInWhileOneIsOutstandingIsHandledOnItsOwn) {
    LoginScreenHarness ui;
    ui.load();
    ui.signIn("first", "wrong");
    ui.signIn("second", "right");
    ASSERT_EQ(ui.env.http.waitingCount(), 2U);
    ui.signIn("third", "");  // refused by the form; the checks keep spinning
    EXPECT_TRUE(ui.indicator()->isAnimating());
    EXPECT_EQ(ui.env.http.waitingCount(), 2U);

    ui.answer(LoginScreenHarness::refused());
    EXPECT_FALSE(ui.showsMainScreen());
    EXPECT_EQ(ui.errorMessage(), "Username or password is incorrect.");

    ui.answer(LoginScreenHarness::paid());
    EXPECT_TRUE(ui.showsMainScreen());
    EXPECT_EQ(ui.env.context->accountUserName, "second") << "each reply keeps its own account";
}

TEST(LoginScreen, AReplyForAReplacedScreenLeavesTheWindowAlone) {
    LoginScreenHarness ui;
    ui.load();
    ui.signIn("first", "pw");
    ui.signIn("second", "pw");
    ui.answer(LoginScreenHarness::paid());
    const auto mainScreen = ui.env.window->contentViewController();
    ASSERT_TRUE(ui.showsMainScreen());

    std::weak_ptr<LoginController> replaced = ui.screen;
    ui.screen.reset();
    ui.env.window->dropReleased();
    ASSERT_FALSE(replaced.expired()) << "the outstanding check holds the screen";

    ui.answer(LoginScreenHarness::paid());
    EXPECT_EQ(ui.env.window->contentViewController(), mainScreen);
    EXPECT_EQ(ui.env.context->accountUserName, "second");
    EXPECT_TRUE(replaced.expired()) << "and lets it go once handled";
}

TEST(LoginScreen, HoverColoursOnlyTheLoginButton) {
    LoginScreenHarness ui;
    ui.load();
    auto& views = ui.env.views(*ui.screen);
    const auto& layer = *ui.outlet<fakes::FakeButton>("btnLogin")->fakeLayer();

    views.mouseEntered("btnLogin");
    EXPECT_EQ(layer.backgroundColor(), appearance::buttonHoverColor);
    views.mouseExited("btnLogin");
    EXPECT_EQ(layer.backgroundColor(), appearance::buttonNormalColor);
    EXPECT_TRUE(ui.env.console.lines.empty());

    struct Row {
        const char* name;
        MouseEvent event;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"another control", {TrackingArea{{{"button", "btnOther"}}}}, {"Switch default"}},
        {"no tracking area", {std::nullopt}, {}},
        {"no user info", {TrackingArea{nullptr}}, {}},
        {"empty user info", {TrackingArea{json::object()}}, {}},
        {"value not a string", {TrackingArea{{{"button", 7}}}}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui.env.console.lines.clear();
        ui.screen->mouseEntered(row.event);
        EXPECT_EQ(layer.backgroundColor(), appearance::buttonNormalColor);
        EXPECT_EQ(ui.env.console.lines, row.lines);
    }
}

}  // namespace
}  // namespace twl
