#include "admin/dialog_controller.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/settings_keys.h"
#include "fakes/fake_button.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_text_field.h"
#include "privileged/commands.h"
#include "vpn/connection_session.h"

namespace twl {
namespace {

using fakes::FakeButton;
using fakes::FakeEnvironment;
using fakes::FakeTextField;

// A signed-in client whose main screen has just opened the dialog on Connect.
struct DialogScene {
    DialogScene() {
        env.context->accountUserName = "subscriber";
        env.context->accountPassword = "sub-pass";
        env.http.scriptText(TextReply{"198.51.100.1", {}});
        main = env.show("MainController");
        FakeEnvironment::views(*main).performAction("btnConnect");
        dialog = std::dynamic_pointer_cast<DialogController>(
            env.window->modalWindow()->contentViewController());
    }

    std::shared_ptr<FakeTextField> field(const char* name) const {
        return FakeEnvironment::views(*dialog).outlet<FakeTextField>(name);
    }

    void type(const std::string& userName, const std::string& password) const {
        field("edtUserName")->setStringValue(userName);
        field("edtUserPassword")->setStringValue(password);
    }
    void pressOK() const { FakeEnvironment::views(*dialog).performAction("btnOK"); }
    bool isOpen() const { return env.window->modalWindow() != nullptr; }

    FakeEnvironment env;
    std::shared_ptr<ViewController> main;
    std::shared_ptr<DialogController> dialog;
};

// A right pair, awkward characters in it included, is walked with real sudo in
// tests/e2e; a blank in the tool's path is quoted as the tool step shows. A tool
// left by an earlier copy proves nothing about the pair.
TEST(DialogController, StartsWithTheLoginNameAndRefusesAWrongPairThoughTheToolIsThere) {
    DialogScene scene;
    EXPECT_EQ(scene.field("edtUserName")->stringValue(), "admin");
    scene.env.files.paths.insert(std::string(commands::markerFile));
    scene.type("admin", "guess");
    FakeEnvironment::views(*scene.dialog).performAction("edtUserPassword");  // Return
    scene.env.loop.runPending();
    EXPECT_FALSE(scene.env.context->isAdminConfirmed);
    EXPECT_TRUE(scene.env.settings.writtenKeys().empty());
    EXPECT_FALSE(scene.field("txtIncorrectPassword")->isHidden());
    EXPECT_TRUE(scene.isOpen());
}

// The countdown outlives the closed dialog and still hides its notice.
TEST(DialogController, WithoutAnAccountTheNoticeShowsButTheAttemptIsStillMade) {
    DialogScene scene;
    scene.env.context->accountPassword.clear();
    scene.type("admin", "admin-pass");
    scene.pressOK();
    scene.env.loop.runPending();
    const auto notice = scene.field("txtIncorrectPassword");
    EXPECT_FALSE(notice->isHidden());
    EXPECT_TRUE(scene.env.context->isAdminConfirmed);
    scene.dialog.reset();
    scene.env.window->dropReleased();
    scene.env.loop.advance(3.0);
    EXPECT_TRUE(notice->isHidden());
}

// The copy takes time: the dialog neither starts a second one nor takes an
// answer that comes after it has been closed.
TEST(DialogController, OKAndCancelWaitForTheCopyAndALateCopyStoresNothing) {
    DialogScene scene;
    scene.env.system.commandSeconds = 2.0;
    scene.type("admin", "admin-pass");
    scene.pressOK();
    FakeEnvironment::views(*scene.dialog).performAction("edtUserPassword");  // Return
    EXPECT_EQ(scene.env.system.sources.size(), 1u);
    for (const char* button : {"btnOK", "btnCancel"}) {
        EXPECT_FALSE(FakeEnvironment::views(*scene.dialog).outlet<FakeButton>(button)->isEnabled());
    }
    scene.env.window->modalWindow()->performClose();
    scene.env.loop.advance(2.0);
    EXPECT_EQ(scene.env.system.commandsRun.size(), 1u) << "the copy did run";
    EXPECT_FALSE(scene.env.context->isUserRegistered || scene.env.context->isAdminConfirmed);
    EXPECT_TRUE(scene.env.settings.writtenKeys().empty());
}

TEST(DialogController, CancelByButtonTitleBarOrEscStopsTheWaitAndStoresNothing) {
    const std::vector<std::function<void(DialogScene&)>> ways{
        [](DialogScene& scene) {
            FakeEnvironment::views(*scene.dialog).performAction("btnCancel");
        },
        [](DialogScene& scene) { scene.env.window->modalWindow()->performClose(); },
        [](DialogScene& scene) { scene.env.window->modalWindow()->pressEscape(); },
    };
    for (const auto& cancel : ways) {
        DialogScene scene;
        scene.type("admin", "admin-pass");
        cancel(scene);
        EXPECT_FALSE(scene.isOpen());
        EXPECT_TRUE(scene.env.system.sources.empty());
        EXPECT_FALSE(scene.env.context->isUserRegistered || scene.env.context->isAdminConfirmed);
        EXPECT_TRUE(scene.env.settings.writtenKeys().empty());
        EXPECT_FALSE(scene.env.context->connection().isConnecting()) << "Connect must work again";
    }
}

}  // namespace
}  // namespace twl
