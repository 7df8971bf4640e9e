#include "settings/setting_controller.h"

#include <gtest/gtest.h>

#include "app/appearance.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_text_field.h"
#include "fakes/stub_screen.h"

namespace twl {
namespace {

constexpr const char* builtInServer = "vpn.test";  // FakeEnvironment's default endpoint

// A run of the client with the settings screen one click away; the main screen
// it goes back to is a stub.
struct SettingsScene {
    SettingsScene() {
        env.storyboard.registerController("MainController",
                                          [] { return std::make_shared<fakes::StubScreen>(); });
    }
    std::shared_ptr<fakes::FakeTextField> open() {
        screen = env.show("SettingController");
        return field();
    }
    std::shared_ptr<fakes::FakeTextField> field() const {
        return env.views(*screen).outlet<fakes::FakeTextField>("edtServerUrl");
    }
    void click(const char* control) const { env.views(*screen).performAction(control); }
    std::vector<std::string> notices() const {
        std::vector<std::string> texts;
        for (const Alert& alert : env.alerts.alerts) {
            EXPECT_EQ(alert.messageText, "Notice");
            texts.push_back(alert.informativeText);
        }
        return texts;
    }

    fakes::FakeEnvironment env;
    std::shared_ptr<ViewController> screen;
};

TEST(SettingController, OpensOnTheBuiltInServerUnlessAStringIsStored) {
    SettingsScene flagged;
    flagged.env.settings.setBool(true, "server_url");  // written from outside
    EXPECT_EQ(flagged.open()->stringValue(), builtInServer);
    EXPECT_EQ(flagged.field()->placeholderAttributedString(),
              (AttributedString{"Server URL", appearance::placeholderColor,
                                appearance::placeholderFont}));

    SettingsScene saved;
    saved.env.settings.setObject("10.8.0.1", "server_url");
    EXPECT_EQ(saved.env.context->serverUrl, builtInServer) << "not before the screen loads";
    EXPECT_EQ(saved.open()->stringValue(), "10.8.0.1");
    EXPECT_EQ(saved.env.context->serverUrl, "10.8.0.1");
    EXPECT_EQ(saved.env.settings.writtenKeys().size(), 1u) << "loading writes nothing";
}

TEST(SettingController, SavingKeepsAnyTextAsTypedAndRefusesOnlyAnEmptyOne) {
    for (const std::string typed : {"", "  vpn.example.net ", "vpn example; rm -rf ~"}) {
        SCOPED_TRACE(typed);
        SettingsScene scene;
        scene.env.settings.setObject("old.example", "server_url");
        scene.open()->setStringValue(typed);
        scene.click("btnSave");

        const std::string expected = typed.empty() ? "old.example" : typed;
        EXPECT_EQ(scene.env.context->serverUrl, expected);
        EXPECT_EQ(scene.env.settings.objectForKey("server_url"), SettingValue{expected});
        EXPECT_EQ(scene.notices(),
                  std::vector<std::string>{typed.empty() ? "Please input server ip"
                                                         : "Server changed successfully"});
        EXPECT_EQ(scene.env.window->contentViewController(), scene.screen) << "it stays open";
        EXPECT_EQ(scene.open()->stringValue(), expected) << "reopened in the same run";
    }
}

TEST(SettingController, BackWithoutSavingLosesTheTextAndBringsAFreshMainScreen) {
    SettingsScene scene;
    scene.open()->setStringValue("typed.example");
    scene.click("btnBack");
    const auto firstMain = scene.env.window->contentViewController();
    EXPECT_EQ(firstMain->storyboardIdentifier(), "MainController");
    EXPECT_EQ(scene.env.context->serverUrl, builtInServer);
    EXPECT_TRUE(scene.env.settings.writtenKeys().empty());

    EXPECT_EQ(scene.open()->stringValue(), builtInServer);
    scene.click("btnBack");
    EXPECT_NE(scene.env.window->contentViewController(), firstMain) << "never the old instance";
}

}  // namespace
}  // namespace twl
