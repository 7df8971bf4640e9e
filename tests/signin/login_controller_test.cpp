#include "screens/login_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QTest>

#include "app/settings_keys.h"
#include "login_screen_harness.h"
#include "screens/screen_style.h"

namespace twl {
namespace {

using nlohmann::json;
using test_support::LoginScreenHarness;

// The stored name is already percent-encoded: it is sent as it is, not twice.
TEST(LoginScreen, LoadingSignsInByItselfOnlyWithAutoLoginOnAndAStoredAccount) {
    for (const auto& [autoLogin, accountStored] :
         {std::pair{true, false}, {false, true}, {true, true}}) {
        SCOPED_TRACE(std::to_string(autoLogin) + std::to_string(accountStored));
        LoginScreenHarness ui;
        ui.env.settings.setBool(autoLogin, keys::autoLogin);
        if (accountStored) {
            ui.env.settings.setObject("a%20b", keys::vpnUserName);
            ui.env.settings.setObject("demo-pass", keys::vpnUserPassword);
        }
        ui.load();
        const bool signsIn = autoLogin && accountStored;
        ASSERT_EQ(ui.requestCount(), signsIn ? 1U : 0U);
        EXPECT_EQ(ui.env.shows("loadBoxView"), signsIn);
        EXPECT_FALSE(ui.spinning()) << "automatic sign-in spins it hidden";
        if (signsIn) {
            EXPECT_THAT(ui.env.http.requests()[0].url, ::testing::HasSubstr("&username=a%20b&"));
        }
    }
}

// A newer message restarts the panel's two seconds.
TEST(LoginScreen, AnIncompleteFormSendsNothingAndShowsWhyForTwoSeconds) {
    LoginScreenHarness ui;
    ui.load();
    ui.signIn("", "pw");
    EXPECT_EQ(ui.env.text("lblErrorMessage"), "Please input username");
    ui.env.loop.advance(1.5);
    ui.signIn("demo", "");
    EXPECT_EQ(ui.env.text("lblErrorMessage"), "Please input password");
    EXPECT_FALSE(ui.env.shows("loadBoxView"));
    ui.env.loop.advance(1.9);
    EXPECT_TRUE(ui.env.shows("viewIncorectInfo"));
    ui.env.loop.advance(0.1);
    EXPECT_FALSE(ui.env.shows("viewIncorectInfo"));
    EXPECT_EQ(ui.requestCount(), 0U);
}

TEST(LoginScreen, EachFailedCheckShowsItsMessageAndEndsTheBusyState) {
    const std::tuple<const char*, std::optional<json>, std::string, bool, bool> rows[] = {
        // name, reply (none: the request failed), message, a refusal, rotation stops
        {"refused", LoginScreenHarness::refused(), "Username or password is incorrect.", true,
         true},
        {"not paid", json{{"response", "success"}, {"status", "Expired"}, {"message", " Late\n"}},
         " Late\n", false, true},
        {"network error", std::nullopt, "Network error!", false, false},
    };
    for (const auto& [name, reply, message, isRefusal, stopsRotating] : rows) {
        SCOPED_TRACE(name);
        LoginScreenHarness ui;
        ui.env.settings.setBool(true, keys::autoLogin);
        ui.load();
        ui.env.click("chkRemember");
        ui.signIn("demo", "demo-pass");
        ui.answer(reply);

        EXPECT_FALSE(ui.showsMainScreen());
        EXPECT_EQ(ui.env.text("lblErrorMessage"), message);
        EXPECT_FALSE(ui.env.shows("loadBoxView"));
        EXPECT_FALSE(ui.spinning());
        EXPECT_EQ(ui.env.settings.objectForKey(keys::autoLogin), SettingValue(!isRefusal))
            << "whatever remember-me says";
        EXPECT_EQ(ui.env.settings.objectForKey(keys::vpnUserName), std::nullopt);
        const auto& said = ui.env.console.lines;
        EXPECT_EQ(std::count(said.begin(), said.end(), "Stop rotating"), stopsRotating ? 1 : 0);
    }
}

TEST(LoginScreen, AnAcceptedSignInSetsAutoLoginOnlyWhenRememberMeIsOn) {
    const std::tuple<const char*, std::optional<bool>, int, std::optional<SettingValue>,
                     const char*>
        rows[] = {
            // name, AutoLogin before, remember-me clicks, AutoLogin after, the image shown
            {"remember on", std::nullopt, 1, true, "checked"},
            {"remember on then off", std::nullopt, 2, std::nullopt, "uncheck"},
            {"remember off after an earlier on", true, 0, true, "uncheck"},
        };
    for (const auto& [name, before, rememberClicks, after, image] : rows) {
        SCOPED_TRACE(name);
        LoginScreenHarness ui;
        if (before) {
            ui.env.settings.setBool(*before, keys::autoLogin);
        }
        ui.load();
        for (int click = 0; click < rememberClicks; ++click) {
            ui.env.click("chkRemember");
        }
        EXPECT_EQ(ui.rememberImage(), image);
        ui.signIn("demo", "demo-pass");
        ui.answer(LoginScreenHarness::paid());
        EXPECT_TRUE(ui.showsMainScreen());
        EXPECT_EQ(ui.env.settings.objectForKey(keys::autoLogin), after);
        EXPECT_EQ(ui.env.settings.objectForKey(keys::vpnUserPassword), SettingValue("demo-pass"));
    }
}

// However it is toggled (pointer, keys, a screen reader), the screen hears of
// each change, so its choice and the state that is heard never part.
TEST(LoginScreen, RememberMeFollowsEveryToggleHoweverItComes) {
    LoginScreenHarness ui;
    ui.load();
    QWidget& control = ui.env.widget("chkRemember");
    QAccessibleInterface* remember = QAccessible::queryAccessibleInterface(&control);
    QTest::mouseClick(&control, Qt::LeftButton);
    EXPECT_TRUE(remember->state().checkable && remember->state().checked);
    EXPECT_EQ(ui.rememberImage(), "checked");
    remember->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(remember->state().checked);
    EXPECT_EQ(ui.rememberImage(), "uncheck");
}

// Each reply keeps its own account, also one for a screen already replaced.
TEST(LoginScreen, SignInsWhileOthersAreOutstandingAreHandledOnTheirOwn) {
    LoginScreenHarness ui;
    ui.load();
    for (const char* userName : {"first", "second", "third"}) {
        ui.signIn(userName, "pw");
    }
    ASSERT_EQ(ui.requestCount(), 3U);
    ui.answer(LoginScreenHarness::refused());
    EXPECT_EQ(ui.env.text("lblErrorMessage"), "Username or password is incorrect.");
    ui.answer(LoginScreenHarness::paid());
    ASSERT_TRUE(ui.showsMainScreen());
    EXPECT_EQ(ui.env.context->accountUserName, "second");

    const auto mainScreen = ui.env.shell.mainWindow().contentViewController();
    std::weak_ptr<ViewController> replaced = ui.screen;
    ui.screen.reset();
    ui.env.finishTurn();
    ASSERT_FALSE(replaced.expired()) << "the outstanding check holds the screen";
    ui.answer(LoginScreenHarness::paid());
    EXPECT_EQ(ui.env.shell.mainWindow().contentViewController(), mainScreen);
    EXPECT_EQ(ui.env.context->accountUserName, "third");
    EXPECT_TRUE(replaced.expired()) << "and lets it go once handled";
}

// An unlock prompt may stay open: automatic sign-in waits 25 s for the
// password, then leaves the stored user name to finish by hand, writing nothing.
TEST(LoginScreen, AutomaticSignInWaitsForTheKeyringAtMostTwentyFiveSeconds) {
    for (const bool answered : {true, false}) {
        SCOPED_TRACE(answered);
        LoginScreenHarness ui;
        ui.env.settings.setBool(true, keys::autoLogin);
        ui.env.settings.setObject("demo", keys::vpnUserName);
        ui.env.keyring.there = true;
        ui.env.keyring.holdReads = !answered;
        ui.env.keyring.items[keys::vpnUserPassword] = "kept-pass";
        ui.load();
        ui.env.loop.advance(24.9);
        EXPECT_EQ(ui.env.text("edtUserName"), answered ? "demo" : "") << "still waiting";
        ui.env.loop.advance(0.1);
        if (!answered) {
            ui.env.keyring.heldReads.at(0)();  // too late
        }
        EXPECT_EQ(ui.requestCount(), answered ? 1U : 0U);
        EXPECT_EQ(ui.env.text("edtUserName"), "demo");
        EXPECT_EQ(ui.env.text("edtUserPassword"), answered ? "kept-pass" : "");
        EXPECT_EQ(ui.env.settings.writtenKeys().size(), 2U) << "only the test's own";
        EXPECT_TRUE(ui.env.keyring.writes.empty());
    }
}

// A keyring write may prompt: none for a password it already has.
TEST(LoginScreen, OnlyAnAcceptedSignInWithAnotherPasswordWritesItToTheKeyring) {
    const std::tuple<const char*, json, std::vector<std::string>> rows[] = {
        {"kept-pass", LoginScreenHarness::paid(), {}},
        {"new-pass", LoginScreenHarness::refused(), {}},
        {"new-pass", LoginScreenHarness::paid(), {keys::vpnUserPassword}}};
    for (const auto& [password, reply, written] : rows) {
        SCOPED_TRACE(password + reply.dump());
        LoginScreenHarness ui;
        ui.env.settings.setObject("demo", keys::vpnUserName);
        ui.env.keyring.there = true;
        ui.env.keyring.items[keys::vpnUserPassword] = "kept-pass";
        ui.load();
        ui.env.loop.runPending();
        ui.signIn("demo", password);
        ui.answer(reply);
        EXPECT_EQ(ui.env.keyring.writes, written);
        EXPECT_EQ(ui.env.keyring.items[keys::vpnUserPassword],
                  written.empty() ? "kept-pass" : password);
        EXPECT_EQ(ui.env.settings.objectForKey(keys::vpnUserPassword), std::nullopt);
    }
}

// The colour shown half-way down the button's left edge, clear of its text.
QColor backgroundOf(QWidget& button) {
    return button.grab().toImage().pixelColor(4, button.height() / 2);
}

// Closing hides every window of the client, not only its own.
TEST(LoginScreen, HoverColoursTheLoginButtonAndClosingHidesTheClient) {
    LoginScreenHarness ui;
    ui.load();
    QWidget& login = ui.env.widget("btnLogin");
    for (const auto& [type, color] : {std::pair{QEvent::Enter, screen_style::buttonHoverColor},
                                      {QEvent::Leave, screen_style::buttonNormalColor}}) {
        QEvent event(type);
        QCoreApplication::sendEvent(&login, &event);
        EXPECT_EQ(backgroundOf(login), color);
    }
    QEvent enterRemember(QEvent::Enter);
    QCoreApplication::sendEvent(&ui.env.widget("chkRemember"), &enterRemember);
    EXPECT_EQ(backgroundOf(login), screen_style::buttonNormalColor) << "only its own pointer";
    EXPECT_TRUE(ui.env.console.lines.empty());

    QWidget* window = ui.env.shell.mainWindow().widget();
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    QWidget another;
    another.show();
    ui.env.closeWindow();
    EXPECT_FALSE(another.isVisible());
}

}  // namespace
}  // namespace twl
