#include "admin/dialog_controller.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_environment.h"
#include "fakes/fake_text_field.h"
#include "platform/run_loop.h"
#include "privileged/commands.h"

namespace twl {
namespace {

using fakes::FakeEnvironment;
using fakes::FakeTextField;

constexpr const char* toolPath = "/opt/tidewaterlink/share/tidewaterlink/macosvpn.txt";
constexpr const char* copyCommand =
    "sudo cp /opt/tidewaterlink/share/tidewaterlink/macosvpn.txt /usr/local";

// Stands in for the main screen's side of the hand-over: on Connect without a
// confirmed administrator it raises `isConnecting`, starts the 0.1 s register
// timer and presents the dialog; the register tick goes on once
// `isUserRegistered` is set.
class WaitingMainScreen final : public ViewController {
  public:
    explicit WaitingMainScreen(AppContext& context) : context_(context) {}

    void connectWithoutAdministrator() {
        context_.isConnecting = true;
        context_.registerTimer->invalidate();
        auto self = std::static_pointer_cast<WaitingMainScreen>(shared_from_this());
        context_.registerTimer = context_.runLoop().scheduleRepeating(0.1, [self] {
            if (!self->context_.isUserRegistered) {
                return;
            }
            self->context_.registerTimer->invalidate();
            ++self->connectAttempts;
        });
        presentViewControllerAsModalWindow(
            context_.storyboard().instantiateControllerWithIdentifier("DialogController"));
    }

    int connectAttempts = 0;

  private:
    AppContext& context_;
};

// A signed-in client whose main screen has just opened the dialog.
struct DialogScene {
    DialogScene() {
        env.context->accountUserName = "subscriber";
        env.context->accountPassword = "sub-pass";
        env.context->toolResourcePath = toolPath;
        env.storyboard.registerController(
            "MainController", [this] { return std::make_shared<WaitingMainScreen>(*env.context); });
        main = std::dynamic_pointer_cast<WaitingMainScreen>(env.show("MainController"));
        main->connectWithoutAdministrator();
        dialog = std::dynamic_pointer_cast<DialogController>(
            env.window->modalWindow()->contentViewController());
    }

    std::shared_ptr<FakeTextField> field(const char* name) const {
        return FakeEnvironment::views(*dialog).outlet<FakeTextField>(name);
    }
    std::shared_ptr<FakeTextField> notice() const { return field("txtIncorrectPassword"); }

    void type(const std::string& userName, const std::string& password) const {
        field("edtUserName")->setStringValue(userName);
        field("edtUserPassword")->setStringValue(password);
    }
    void pressOK() const { FakeEnvironment::views(*dialog).performAction("btnOK"); }
    bool isOpen() const { return env.window->modalWindow() != nullptr; }

    FakeEnvironment env;
    std::shared_ptr<WaitingMainScreen> main;
    std::shared_ptr<DialogController> dialog;
};

SettingValue text(const std::string& value) {
    return SettingValue{value};
}

void expectNothingChanged(const DialogScene& scene) {
    EXPECT_FALSE(scene.env.context->isUserRegistered);
    EXPECT_FALSE(scene.env.context->isAdminConfirmed);
    EXPECT_TRUE(scene.env.settings.writtenKeys().empty());
}

TEST(DialogController, ARightPairIsStoredRaisesBothFlagsAndTheWaitingConnectGoesOn) {
    DialogScene scene;
    scene.type("admin", "admin-pass");
    FakeEnvironment::views(*scene.dialog).performAction("edtUserPassword");  // Return

    // The simulated system runs the copy only with the right pair.
    EXPECT_EQ(scene.env.system.commandsRun, std::vector<std::string>{copyCommand});
    EXPECT_TRUE(scene.env.context->isUserRegistered);
    EXPECT_TRUE(scene.env.context->isAdminConfirmed);
    EXPECT_EQ(scene.env.settings.objectForKey("username"), text("admin"));
    EXPECT_EQ(scene.env.settings.objectForKey("userpassword"), text("admin-pass"));
    EXPECT_FALSE(scene.isOpen());
    EXPECT_TRUE(scene.env.console.lines.empty()) << "nothing of the pair is printed";
    scene.env.loop.advance(1.0);
    EXPECT_EQ(scene.main->connectAttempts, 1) << "the next register tick connects, once";
}

TEST(DialogController, AWrongPairChangesNothingAndEachFailureShowsTheNoticeForThreeSeconds) {
    DialogScene scene;
    scene.type("admin", "wrong");
    scene.pressOK();
    expectNothingChanged(scene);
    EXPECT_TRUE(scene.isOpen());
    EXPECT_TRUE(scene.env.context->registerTimer->isValid()) << "the main screen still waits";
    EXPECT_FALSE(scene.notice()->isHidden());
    scene.env.loop.advance(2.0);
    scene.pressOK();
    scene.env.loop.advance(2.9);
    EXPECT_FALSE(scene.notice()->isHidden()) << "counted from the latest failure";
    scene.env.loop.advance(0.1);
    EXPECT_TRUE(scene.notice()->isHidden());
    expectNothingChanged(scene);
    EXPECT_EQ(scene.main->connectAttempts, 0);
}

TEST(DialogController, AnInstalledToolAcceptsAnyPairAndStoresItAsTyped) {
    DialogScene scene;
    scene.env.files.paths.insert(std::string(commands::markerFile));
    scene.type("nobody", "guess");
    scene.pressOK();
    EXPECT_TRUE(scene.env.context->isAdminConfirmed);
    EXPECT_EQ(scene.env.settings.objectForKey("username"), text("nobody"));
    EXPECT_EQ(scene.env.settings.objectForKey("userpassword"), text("guess"));
    EXPECT_FALSE(scene.isOpen());
}

// Quotes, backslashes and shell syntax in the pair or the tool's path neither
// break the statement nor run anything but the copy.
TEST(DialogController, AwkwardCredentialsReachTheSystemExactlyAndAreStoredAsTyped) {
    struct Row {
        std::string userName;
        std::string password;
        std::string tool;
        std::string commandRun;
    };
    const std::vector<Row> rows{
        {R"(ad"min)", R"(pa"ss\)", toolPath, copyCommand},
        {"admin", R"("; touch /tmp/owned; echo ")", toolPath, copyCommand},
        {"admin", "$(reboot)`id`'", toolPath, copyCommand},
        {"admin", "admin-pass", R"(/opt/Tide "water/macosvpn.txt)",
         R"(sudo cp '/opt/Tide "water/macosvpn.txt' /usr/local)"},
    };
    for (const auto& [userName, password, tool, commandRun] : rows) {
        SCOPED_TRACE(userName + " " + password + " " + tool);
        DialogScene scene;
        scene.env.system.adminUserName = userName;
        scene.env.system.adminPassword = password;
        scene.env.context->toolResourcePath = tool;
        scene.type(userName, password);
        scene.pressOK();
        EXPECT_EQ(scene.env.system.commandsRun, std::vector<std::string>{commandRun});
        EXPECT_EQ(scene.env.settings.objectForKey("username"), text(userName));
        EXPECT_EQ(scene.env.settings.objectForKey("userpassword"), text(password));
    }
}

TEST(DialogController, WithoutAnAccountTheNoticeShowsButTheAttemptIsStillMade) {
    DialogScene scene;
    scene.env.context->accountPassword.clear();
    scene.type("admin", "admin-pass");
    scene.pressOK();
    EXPECT_FALSE(scene.notice()->isHidden());
    EXPECT_TRUE(scene.env.context->isAdminConfirmed);

    // The countdown outlives the closed dialog and still hides its notice.
    const auto notice = scene.notice();
    scene.dialog.reset();
    scene.env.window->dropReleased();
    scene.env.loop.advance(3.0);
    EXPECT_TRUE(notice->isHidden());
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
        expectNothingChanged(scene);
        EXPECT_FALSE(scene.env.context->isConnecting) << "Connect must work again";
        EXPECT_FALSE(scene.env.context->registerTimer->isValid());
    }
}

}  // namespace
}  // namespace twl
