#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "fakes/fake_busy_indicator.h"
#include "fakes/fake_button.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_image_view.h"
#include "fakes/fake_text_field.h"
#include "fakes/stub_screen.h"
#include "signin/login_controller.h"

namespace twl::test_support {

// A fake system with the client's storyboard, a stand-in main screen behind
// "MainController" (so an accepted sign-in has somewhere to go), and helpers
// to act on the login screen as the user and the account web API would.
struct LoginScreenHarness {
    LoginScreenHarness() {
        env.storyboard.registerController("MainController",
                                          [] { return std::make_shared<fakes::StubScreen>(); });
    }

    // Loads a fresh login screen into the window (viewDidLoad, viewDidAppear).
    std::shared_ptr<LoginController> load() {
        screen = std::dynamic_pointer_cast<LoginController>(env.show("LoginController"));
        EXPECT_NE(screen, nullptr) << "the storyboard makes a LoginController";
        return screen;
    }

    template <typename Fake>
    std::shared_ptr<Fake> outlet(const std::string& name) const {
        return env.views(*screen).outlet<Fake>(name);
    }
    std::shared_ptr<fakes::FakeTextField> field(const std::string& name) const {
        return outlet<fakes::FakeTextField>(name);
    }
    std::shared_ptr<fakes::FakeBusyIndicator> indicator() const {
        return outlet<fakes::FakeBusyIndicator>("loadingDialog");
    }
    bool errorPanelShown() const {
        return !env.views(*screen).anyOutlet("viewIncorectInfo")->isHidden();
    }
    bool busyPanelShown() const { return !env.views(*screen).anyOutlet("loadBoxView")->isHidden(); }
    std::string errorMessage() const { return field("lblErrorMessage")->stringValue(); }
    bool formEnabled() const {
        return field("edtUserName")->isEnabled() && field("edtUserPassword")->isEnabled() &&
               outlet<fakes::FakeButton>("btnLogin")->isEnabled();
    }

    void type(const std::string& userName, const std::string& password) {
        field("edtUserName")->setStringValue(userName);
        field("edtUserPassword")->setStringValue(password);
    }
    void signIn(const std::string& userName, const std::string& password) {
        type(userName, password);
        env.views(*screen).performAction("btnLogin");
    }
    void clickRemember() { env.views(*screen).performAction("chkRemember"); }

    // The account web API answers the oldest waiting check; the reply arrives
    // on the next turn of the loop.
    void answer(const nlohmann::json& reply) {
        EXPECT_TRUE(env.http.answerOldest(fakes::ScriptedHttpTransport::success(reply)));
        env.loop.runPending();
    }
    void failRequest() {
        EXPECT_TRUE(env.http.answerOldest(fakes::ScriptedHttpTransport::failure("timed out")));
        env.loop.runPending();
    }

    bool showsMainScreen() const {
        auto shown = env.window->contentViewController();
        return shown && shown->storyboardIdentifier() == "MainController";
    }
    std::size_t requestCount() const { return env.http.requests().size(); }
    std::string sentUrl(std::size_t index = 0) const { return env.http.requests().at(index).url; }

    static nlohmann::json paid() { return {{"response", "success"}, {"status", "Paid"}}; }
    static nlohmann::json refused() { return {{"response", "failed"}}; }
    static nlohmann::json unpaid(const std::string& message) {
        return {{"response", "success"}, {"status", "Expired"}, {"message", message}};
    }

    fakes::FakeEnvironment env;
    std::shared_ptr<LoginController> screen;
};

}  // namespace twl::test_support
