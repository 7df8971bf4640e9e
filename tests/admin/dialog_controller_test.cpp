#include "admin/dialog_controller.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/appearance.h"
#include "fakes/fake_button.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_text_field.h"
#include "platform/run_loop.h"
#include "privileged/commands.h"

namespace twl {
namespace {

using fakes::FakeButton;
using fakes::FakeEnvironment;
using fakes::FakeTextField;

constexpr const char* toolPath = "/opt/tidewaterlink/share/tidewaterlink/macosvpn.txt";

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

std::string copyStatement(const std::string& userName, const std::string& password) {
    return std::string(R"(do shell script "sudo cp )") + toolPath + R"( /usr/local" user name ")" +
           userName + R"(" password ")" + password + R"(" with administrator privileges)";
}

void expectNothingChanged(const DialogScene& scene) {
    EXPECT_FALSE(scene.env.context->isUserRegistered);
    EXPECT_FALSE(scene.env.context->isAdminConfirmed);
    EXPECT_TRUE(scene.env.settings.writtenKeys().empty());
}

TEST(DialogController, OpensStyledWithTheNoticeHiddenAndCannotBeResized) {
    DialogScene scene;
    ASSERT_NE(scene.dialog, nullptr);
    EXPECT_TRUE(scene.env.window->modalWindow()->isModal());

    const AttributedString emptyPlaceholder{"", appearance::placeholderColor,
                                            appearance::placeholderFont};
    for (const char* name : {"edtUserName", "edtUserPassword"}) {
        SCOPED_TRACE(name);
        const auto field = scene.field(name);
        EXPECT_EQ(field->fakeLayer()->backgroundColor(), colors::white);
        EXPECT_EQ(field->placeholderAttributedString(), emptyPlaceholder);
        EXPECT_EQ(field->insertionPointColor(), colors::black);
    }
    const auto cancel = FakeEnvironment::views(*scene.dialog).outlet<FakeButton>("btnCancel");
    EXPECT_EQ(cancel->fakeLayer()->borderColor(), colors::red);
    EXPECT_TRUE(scene.notice()->isHidden());

    const unsigned style = scene.env.window->modalWindow()->styleMask();
    EXPECT_EQ(style & window_style::resizable, 0U);
    EXPECT_NE(style & window_style::closable, 0U) << "only the resizable bit goes";
    EXPECT_TRUE(scene.env.system.sources.empty()) << "nothing runs before OK";
}

TEST(DialogController, ARightPairIsStoredRaisesBothFlagsAndTheWaitingConnectGoesOn) {
    const std::vector<std::pair<const char*, std::function<void(DialogScene&)>>> ways{
        {"the OK button", [](DialogScene& scene) { scene.pressOK(); }},
        {"clickOKButton", [](DialogScene& scene) { scene.dialog->clickOKButton(); }},
        {"Return in the password field",
         [](DialogScene& scene) {
             FakeEnvironment::views(*scene.dialog).performAction("edtUserPassword");
         }},
    };
    for (const auto& [way, press] : ways) {
        SCOPED_TRACE(way);
        DialogScene scene;
        scene.type("admin", "admin-pass");
        press(scene);

        EXPECT_EQ(scene.env.system.sources,
                  std::vector<std::string>{copyStatement("admin", "admin-pass")});
        EXPECT_TRUE(scene.env.context->isUserRegistered);
        EXPECT_TRUE(scene.env.context->isAdminConfirmed);
        EXPECT_EQ(scene.env.settings.writtenKeys(),
                  (std::vector<std::string>{"username", "userpassword"}));
        EXPECT_EQ(scene.env.settings.objectForKey("username"), text("admin"));
        EXPECT_EQ(scene.env.settings.objectForKey("userpassword"), text("admin-pass"));
        EXPECT_FALSE(scene.isOpen());
        EXPECT_TRUE(scene.notice()->isHidden());
        EXPECT_TRUE(scene.env.console.lines.empty()) << "nothing of the pair is printed";

        EXPECT_EQ(scene.main->connectAttempts, 0);
        scene.env.loop.advance(0.1);
        EXPECT_EQ(scene.main->connectAttempts, 1) << "the next register tick connects";
        scene.env.loop.advance(1.0);
        EXPECT_EQ(scene.main->connectAttempts, 1) << "and only once";
    }
}

TEST(DialogController, AWrongPairChangesNothingAndShowsTheNoticeForAboutThreeSeconds) {
    DialogScene scene;
    scene.type("admin", "wrong");
    scene.pressOK();

    expectNothingChanged(scene);
    EXPECT_TRUE(scene.isOpen());
    EXPECT_EQ(scene.field("edtUserName")->stringValue(), "admin");
    EXPECT_EQ(scene.field("edtUserPassword")->stringValue(), "wrong");
    EXPECT_TRUE(scene.env.context->isConnecting) << "the main screen is still waiting";
    EXPECT_TRUE(scene.env.context->registerTimer->isValid());
    EXPECT_TRUE(scene.env.console.lines.empty());

    EXPECT_FALSE(scene.notice()->isHidden());
    scene.env.loop.advance(2.9);
    EXPECT_FALSE(scene.notice()->isHidden());
    scene.env.loop.advance(0.1);
    EXPECT_TRUE(scene.notice()->isHidden());
    EXPECT_EQ(scene.main->connectAttempts, 0);
}

TEST(DialogController, AnotherFailureRestartsTheNoticeAndACorrectedPairStillSucceeds) {
    DialogScene scene;
    scene.type("admin", "wrong");
    scene.pressOK();
    scene.env.loop.advance(2.0);
    scene.pressOK();

    scene.env.loop.advance(2.9);
    EXPECT_FALSE(scene.notice()->isHidden()) << "counted from the latest failure";
    scene.env.loop.advance(0.1);
    EXPECT_TRUE(scene.notice()->isHidden());
    expectNothingChanged(scene);

    scene.type("admin", "admin-pass");
    scene.pressOK();
    EXPECT_TRUE(scene.env.context->isAdminConfirmed);
    EXPECT_FALSE(scene.isOpen());
    EXPECT_EQ(scene.env.system.sources.size(), 3U);
}

TEST(DialogController, AnInstalledToolAcceptsAnyPairAndStoresItAsTyped) {
    const std::vector<std::pair<std::string, std::string>> pairs{
        {"", ""},
        {"nobody", "guess"},
    };
    for (const auto& [userName, password] : pairs) {
        SCOPED_TRACE("'" + userName + "'/'" + password + "'");
        DialogScene scene;
        scene.env.files.paths.insert(std::string(commands::markerFile));
        scene.type(userName, password);
        scene.pressOK();

        EXPECT_EQ(scene.env.system.sources,
                  std::vector<std::string>{copyStatement(userName, password)});
        EXPECT_TRUE(scene.env.context->isUserRegistered);
        EXPECT_TRUE(scene.env.context->isAdminConfirmed);
        EXPECT_EQ(scene.env.settings.objectForKey("username"), text(userName));
        EXPECT_EQ(scene.env.settings.objectForKey("userpassword"), text(password));
        EXPECT_FALSE(scene.isOpen());
    }
}

// Quotes, backslashes and shell syntax in the pair or the tool's path neither
// break the statement nor run anything but the copy.
TEST(DialogController, AwkwardCredentialsReachTheSystemExactlyAndAreStoredAsTyped) {
    struct Row {
        const char* name;
        std::string userName;
        std::string password;
        std::string toolResourcePath;
        std::string commandRun;
    };
    const std::string plainCopy = std::string("sudo cp ") + toolPath + " /usr/local";
    const std::vector<Row> rows{
        {"quote in the password", "admin", R"(pa"ss)", toolPath, plainCopy},
        {"unbalanced quote in the name", R"(ad"min)", "admin-pass", toolPath, plainCopy},
        {"backslashes", R"(ad\min)", R"(pass\)", toolPath, plainCopy},
        {"shell syntax", "admin", R"("; touch /tmp/owned; echo ")", toolPath, plainCopy},
        {"command substitution", "admin", "$(reboot)`id`'", toolPath, plainCopy},
        {"blank and quote in the path", "admin", "admin-pass", R"(/opt/Tide "water/macosvpn.txt)",
         R"(sudo cp '/opt/Tide "water/macosvpn.txt' /usr/local)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DialogScene scene;
        scene.env.system.adminUserName = row.userName;
        scene.env.system.adminPassword = row.password;
        scene.env.context->toolResourcePath = row.toolResourcePath;
        scene.type(row.userName, row.password);
        scene.pressOK();

        EXPECT_EQ(scene.env.system.commandsRun, std::vector<std::string>{row.commandRun});
        EXPECT_TRUE(scene.env.context->isAdminConfirmed);
        EXPECT_EQ(scene.env.settings.objectForKey("username"), text(row.userName));
        EXPECT_EQ(scene.env.settings.objectForKey("userpassword"), text(row.password));
        EXPECT_FALSE(scene.isOpen());
    }
}

TEST(DialogController, WithoutAnAccountTheNoticeShowsButTheAttemptIsStillMade) {
    for (const bool rightPair : {true, false}) {
        SCOPED_TRACE(rightPair ? "right pair" : "wrong pair");
        DialogScene scene;
        scene.env.context->accountPassword.clear();
        scene.type("admin", rightPair ? "admin-pass" : "wrong");
        scene.pressOK();

        EXPECT_FALSE(scene.notice()->isHidden());
        EXPECT_EQ(scene.env.system.sources.size(), 1U);
        EXPECT_EQ(scene.env.context->isAdminConfirmed, rightPair);
        EXPECT_EQ(scene.isOpen(), !rightPair);

        // The countdown outlives a closed dialog and still hides its notice.
        const auto notice = scene.notice();
        scene.dialog.reset();
        scene.env.window->dropReleased();
        scene.env.loop.advance(3.0);
        EXPECT_TRUE(notice->isHidden());
    }
}

TEST(DialogController, CancelByButtonTitleBarOrEscStopsTheWaitAndStoresNothing) {
    const std::vector<std::pair<const char*, std::function<void(DialogScene&)>>> ways{
        {"Cancel button",
         [](DialogScene& scene) {
             FakeEnvironment::views(*scene.dialog).performAction("btnCancel");
         }},
        {"title bar", [](DialogScene& scene) { scene.env.window->modalWindow()->performClose(); }},
        {"Esc", [](DialogScene& scene) { scene.env.window->modalWindow()->pressEscape(); }},
    };
    for (const auto& [way, cancel] : ways) {
        SCOPED_TRACE(way);
        DialogScene scene;
        scene.type("admin", "admin-pass");
        cancel(scene);

        EXPECT_FALSE(scene.isOpen());
        EXPECT_TRUE(scene.env.system.sources.empty());
        expectNothingChanged(scene);
        EXPECT_FALSE(scene.env.context->isConnecting) << "Connect must work again";
        EXPECT_FALSE(scene.env.context->registerTimer->isValid());
        scene.env.loop.advance(1.0);
        EXPECT_EQ(scene.main->connectAttempts, 0);
    }
}

}  // namespace
}  // namespace twl
