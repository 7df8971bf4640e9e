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

// The fake system with a stand-in main screen behind "MainController" (so an
// accepted sign-in has somewhere to go), acting on the login screen as the
// user and the account web API would.
struct LoginScreenHarness {
    LoginScreenHarness() {
        env.storyboard.registerController("MainController",
                                          [] { return std::make_shared<fakes::StubScreen>(); });
    }

    // Loads a fresh login screen into the window (viewDidLoad, viewDidAppear).
    void load() {
        screen = std::dynamic_pointer_cast<LoginController>(env.show("LoginController"));
    }

    template <typename Fake = fakes::FakeTextField>
    std::shared_ptr<Fake> outlet(const std::string& name) const {
        return env.views(*screen).outlet<Fake>(name);
    }
    bool shown(const std::string& panel) const {
        return !env.views(*screen).anyOutlet(panel)->isHidden();
    }
    // Spinning and on screen (automatic sign-in spins it hidden).
    bool spinning() const {
        const auto indicator = outlet<fakes::FakeBusyIndicator>("loadingDialog");
        return indicator->isAnimating() && !indicator->isHidden();
    }
    std::string errorMessage() const { return outlet("lblErrorMessage")->stringValue(); }

    void signIn(const std::string& userName, const std::string& password) {
        outlet("edtUserName")->setStringValue(userName);
        outlet("edtUserPassword")->setStringValue(password);
        env.views(*screen).performAction("btnLogin");
    }
    void clickRemember() { env.views(*screen).performAction("chkRemember"); }

    // The account web API answers the oldest waiting check (no reply: the
    // request failed); the reply arrives on the next turn of the loop.
    void answer(const std::optional<nlohmann::json>& reply) {
        EXPECT_TRUE(env.http.answerOldest(reply ? fakes::ScriptedHttpTransport::success(*reply)
                                                : fakes::ScriptedHttpTransport::failure("down")));
        env.loop.runPending();
    }

    bool showsMainScreen() const {
        return env.window->contentViewController()->storyboardIdentifier() == "MainController";
    }
    std::size_t requestCount() const { return env.http.requests().size(); }
    std::string sentUrl() const { return env.http.requests().at(0).url; }

    static nlohmann::json paid() { return {{"response", "success"}, {"status", "Paid"}}; }
    static nlohmann::json refused() { return {{"response", "failed"}}; }

    fakes::FakeEnvironment env;
    std::shared_ptr<LoginController> screen;
};

}  // namespace twl::test_support
