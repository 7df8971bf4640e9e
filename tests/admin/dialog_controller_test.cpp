#include "screens/dialog_controller.h"

#include <gtest/gtest.h>

#include <QTest>
#include <functional>

#include "fakes/screen_environment.h"
#include "privileged/commands.h"
#include "vpn/connection_session.h"

namespace twl {
namespace {

// A signed-in client whose main screen has just opened the dialog on Connect.
struct DialogScene {
    DialogScene() {
        env.context->accountUserName = "subscriber";
        env.context->accountPassword = "sub-pass";
        env.show("MainController");
        env.click("btnConnect");
    }

    void type(const std::string& userName, const std::string& password) {
        env.type("edtUserName", userName);
        env.type("edtUserPassword", password);
    }
    bool isOpen() { return !env.shell.mainWindow().presentedWindows().empty(); }
    bool changedNothing() {
        return !env.context->isUserRegistered && !env.context->isAdminConfirmed &&
               env.settings.writtenKeys().empty();
    }

    fakes::ScreenEnvironment env;
};

// Real sudo with a right or wrong pair is in tests/privileged; a blank in the
// tool's path is quoted as the tool step shows. A tool left by an earlier copy
// proves nothing about the pair.
TEST(DialogController, StartsWithTheLoginNameAndRefusesAWrongPairThoughTheToolIsThere) {
    DialogScene scene;
    EXPECT_EQ(scene.env.text("edtUserName"), scene.env.desktop.loginName());
    scene.env.files.paths.insert(std::string(commands::markerFile));
    scene.type("admin", "guess");
    scene.env.pressReturn("edtUserPassword");
    scene.env.loop.runPending();
    EXPECT_TRUE(scene.changedNothing());
    EXPECT_TRUE(scene.env.shows("txtIncorrectPassword"));
    EXPECT_TRUE(scene.isOpen());
}

TEST(DialogController, WithoutAnAccountTheNoticeShowsButTheAttemptIsStillMade) {
    DialogScene scene;
    scene.env.context->accountPassword.clear();
    scene.type("admin", "admin-pass");
    scene.env.click("btnOK");
    EXPECT_TRUE(scene.env.shows("txtIncorrectPassword"));
    scene.env.loop.runPending();
    EXPECT_TRUE(scene.env.context->isAdminConfirmed);
    EXPECT_FALSE(scene.isOpen());
    scene.env.finishTurn();
    scene.env.loop.advance(3.0);  // the notice's countdown outlives the window
    EXPECT_EQ(scene.env.console.lines, std::vector<std::string>{"-- register user timer --"});
}

// The copy takes time: the dialog neither starts a second one nor takes an
// answer that comes after it has been closed.
TEST(DialogController, OKAndCancelWaitForTheCopyAndALateCopyStoresNothing) {
    DialogScene scene;
    scene.env.system.commandSeconds = 2.0;
    scene.type("admin", "admin-pass");
    scene.env.click("btnOK");
    scene.env.pressReturn("edtUserPassword");
    for (const char* button : {"btnOK", "btnCancel"}) {
        EXPECT_FALSE(scene.env.widget(button).isEnabled()) << button;
    }
    scene.env.closeWindow();
    scene.env.loop.advance(4.0);
    EXPECT_EQ(scene.env.system.commandsRun.size(), 1u) << "one copy, run to its end";
    EXPECT_TRUE(scene.changedNothing());
}

TEST(DialogController, CancelByButtonTitleBarOrEscStopsTheWaitAndStoresNothing) {
    const std::vector<std::function<void(fakes::ScreenEnvironment&)>> ways{
        [](fakes::ScreenEnvironment& env) { env.click("btnCancel"); },
        [](fakes::ScreenEnvironment& env) { env.closeWindow(); },
        [](fakes::ScreenEnvironment& env) {
            QTest::keyClick(&env.widget("edtUserPassword"), Qt::Key_Escape);
        },
    };
    for (const auto& cancel : ways) {
        DialogScene scene;
        scene.type("admin", "admin-pass");
        cancel(scene.env);
        EXPECT_FALSE(scene.isOpen());
        EXPECT_TRUE(scene.env.system.sources.empty());
        EXPECT_TRUE(scene.changedNothing());
        EXPECT_FALSE(scene.env.context->connection().isConnecting()) << "Connect must work again";
    }
}

}  // namespace
}  // namespace twl
