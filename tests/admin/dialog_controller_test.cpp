#include "admin/dialog_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/settings_keys.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_text_field.h"
#include "privileged/commands.h"

namespace twl {
namespace {

using fakes::FakeEnvironment;
using fakes::FakeTextField;

constexpr const char* toolPath = "/opt/tidewaterlink/share/tidewaterlink/macosvpn.txt";
constexpr const char* copyCommand =
    "sudo cp /opt/tidewaterlink/share/tidewaterlink/macosvpn.txt /usr/local";

// A signed-in client whose main screen has just opened the dialog on Connect.
struct DialogScene {
    DialogScene() {
        env.context->accountUserName = "subscriber";
        env.context->accountPassword = "sub-pass";
        env.context->toolResourcePath = toolPath;
        env.http.scriptText(TextReply{"198.51.100.1", {}});
        main = env.show("MainController");
        FakeEnvironment::views(*main).performAction("btnConnect");
        dialog = std::dynamic_pointer_cast<DialogController>(
            env.window->modalWindow()->contentViewController());
    }

    // The main screen's register tick goes on to provisioning once the pair is known.
    long connectAttempts() const {
        const auto& run = env.system.commandsRun;
        return std::count_if(run.begin(), run.end(), [](const std::string& command) {
            return command.find(" create --l2tp ") != std::string::npos;
        });
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
    std::shared_ptr<ViewController> main;
    std::shared_ptr<DialogController> dialog;
};

void expectNothingChanged(const DialogScene& scene) {
    EXPECT_FALSE(scene.env.context->isUserRegistered);
    EXPECT_FALSE(scene.env.context->isAdminConfirmed);
    EXPECT_TRUE(scene.env.settings.writtenKeys().empty());
}

// A right pair on real widgets and sudo is walked in tests/e2e. Quotes,
// backslashes and shell syntax in the pair or the tool's path neither break
// the statement nor run anything but the copy.
TEST(DialogController, AwkwardCredentialsReachTheSystemExactlyAndAreStoredAsTyped) {
    struct Row {
        std::string userName;
        std::string password;
        std::string tool;
        std::string commandRun;
    };
    const std::vector<Row> rows{
        {R"(ad"min)", R"(pa"ss\)", toolPath, copyCommand},
        {"admin", "$(reboot)`id`'; echo \"", toolPath, copyCommand},
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
        FakeEnvironment::views(*scene.dialog).performAction("edtUserPassword");  // Return
        EXPECT_EQ(scene.env.system.commandsRun, std::vector<std::string>{commandRun});
        EXPECT_TRUE(scene.env.context->isUserRegistered && scene.env.context->isAdminConfirmed);
        EXPECT_EQ(storedString(scene.env.settings, "username"), userName);
        EXPECT_EQ(storedString(scene.env.settings, "userpassword"), password);
        EXPECT_FALSE(scene.isOpen());
        scene.env.loop.advance(1.0);
        EXPECT_EQ(scene.connectAttempts(), 1) << "the next register tick connects, once";
        for (const auto& line : scene.env.console.lines) {
            EXPECT_EQ(line.find(password), std::string::npos) << "the password was printed";
        }
    }
}

TEST(DialogController, AWrongPairChangesNothingAndEachFailureShowsTheNoticeForThreeSeconds) {
    DialogScene scene;
    scene.type("admin", "wrong");
    scene.pressOK();
    EXPECT_TRUE(scene.isOpen());
    EXPECT_TRUE(scene.env.context->registerTimer->isValid()) << "the main screen still waits";
    scene.env.loop.advance(2.0);
    scene.pressOK();
    scene.env.loop.advance(2.9);
    EXPECT_FALSE(scene.notice()->isHidden()) << "counted from the latest failure";
    scene.env.loop.advance(0.1);
    EXPECT_TRUE(scene.notice()->isHidden());
    expectNothingChanged(scene);
    EXPECT_EQ(scene.connectAttempts(), 0);
}

TEST(DialogController, AnInstalledToolAcceptsAnyPair) {
    DialogScene scene;
    scene.env.files.paths.insert(std::string(commands::markerFile));
    scene.type("nobody", "guess");
    scene.pressOK();
    EXPECT_TRUE(scene.env.context->isAdminConfirmed);
    EXPECT_EQ(storedString(scene.env.settings, "userpassword"), "guess");
    EXPECT_FALSE(scene.isOpen());
}

// The countdown outlives the closed dialog and still hides its notice.
TEST(DialogController, WithoutAnAccountTheNoticeShowsButTheAttemptIsStillMade) {
    DialogScene scene;
    scene.env.context->registerTimer->invalidate();  // the connect countdown would replace it
    scene.env.context->accountPassword.clear();
    scene.type("admin", "admin-pass");
    scene.pressOK();
    const auto notice = scene.notice();
    EXPECT_FALSE(notice->isHidden());
    EXPECT_TRUE(scene.env.context->isAdminConfirmed);
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
