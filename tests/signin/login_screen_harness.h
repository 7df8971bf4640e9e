#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "app/stored_secrets.h"
#include "fakes/screen_environment.h"
#include "platform/qt/busy_spinner.h"
#include "screens/screen_window.h"
#include "screens/view_controller.h"

namespace twl::test_support {

// The login screen on its real layout, acted on as the user and the account
// web API would.
struct LoginScreenHarness {
    // Loads a fresh login screen into the window (viewDidLoad, viewDidAppear),
    // the passwords looked for first as at launch.
    void load() {
        env.context->secrets().start();
        screen = env.show("LoginController");
    }

    // Spinning and on screen (automatic sign-in spins it hidden).
    bool spinning() {
        auto& spinner = dynamic_cast<BusySpinner&>(env.widget("loadingDialog"));
        return spinner.isAnimating() && spinner.isVisible();
    }
    // Which of the two images the remember-me control shows.
    std::string rememberImage() {
        const QImage shown = dynamic_cast<QLabel&>(env.widget("imgRemember")).pixmap().toImage();
        for (const char* name : {"checked", "uncheck"}) {
            if (shown == QPixmap(QStringLiteral(":/images/%1.png").arg(name)).toImage()) {
                return name;
            }
        }
        return "";
    }
    void signIn(const std::string& userName, const std::string& password) {
        env.type("edtUserName", userName);
        env.type("edtUserPassword", password);
        env.click("btnLogin");
    }

    // The account web API answers the oldest waiting check (no reply: the
    // request failed); the reply arrives on the next turn of the loop.
    void answer(const std::optional<nlohmann::json>& reply) {
        EXPECT_TRUE(env.http.answerOldest(reply ? fakes::ScriptedHttpTransport::success(*reply)
                                                : fakes::ScriptedHttpTransport::failure("down")));
        env.loop.runPending();
    }

    bool showsMainScreen() {
        return env.shell.mainWindow().contentViewController()->storyboardIdentifier() ==
               "MainController";
    }
    std::size_t requestCount() const { return env.http.requests().size(); }

    static nlohmann::json paid() { return {{"response", "success"}, {"status", "Paid"}}; }
    static nlohmann::json refused() { return {{"response", "failed"}}; }

    fakes::ScreenEnvironment env;
    std::shared_ptr<ViewController> screen;
};

}  // namespace twl::test_support
