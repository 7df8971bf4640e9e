#include "settings/setting_controller.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/appearance.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_text_field.h"
#include "fakes/stub_screen.h"

namespace twl {
namespace {

using fakes::FakeEnvironment;
using fakes::FakeTextField;

constexpr const char* builtInServer = "vpn.test";  // FakeEnvironment's default endpoint

// A run of the client with the settings screen one click away; the main screen
// it goes back to is a stub.
struct SettingsScene {
    SettingsScene() {
        env.storyboard.registerController("MainController",
                                          [] { return std::make_shared<fakes::StubScreen>(); });
    }

    std::shared_ptr<SettingController> open() {
        return std::dynamic_pointer_cast<SettingController>(env.show("SettingController"));
    }
    static std::shared_ptr<FakeTextField> serverField(const SettingController& screen) {
        return FakeEnvironment::views(screen).outlet<FakeTextField>("edtServerUrl");
    }
    std::optional<SettingValue> stored() const { return env.settings.objectForKey("server_url"); }

    FakeEnvironment env;
};

// What an earlier run (or someone editing the file) left under "server_url".
void preStore(fakes::MemorySettingsStore& settings, const SettingValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        settings.setObject(*text, "server_url");
    } else {
        settings.setBool(std::get<bool>(value), "server_url");
    }
}

Alert notice(const std::string& text) {
    Alert alert;
    alert.messageText = "Notice";
    alert.informativeText = text;
    alert.alertStyle = AlertStyle::warning;
    alert.addButtonWithTitle("OK");
    return alert;
}

TEST(SettingController, OpensOnTheBuiltInServerUnlessAStringIsStored) {
    struct Row {
        const char* name;
        std::optional<SettingValue> stored;
        std::string shown;
    };
    const std::vector<Row> rows{
        {"nothing stored", std::nullopt, builtInServer},
        {"a flag written from outside", SettingValue{true}, builtInServer},
        {"a saved address", SettingValue{std::string("10.8.0.1")}, "10.8.0.1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SettingsScene scene;
        if (row.stored) {
            preStore(scene.env.settings, *row.stored);
        }
        const auto writesBefore = scene.env.settings.writtenKeys().size();
        auto screen = scene.open();
        ASSERT_NE(screen, nullptr);

        const auto field = SettingsScene::serverField(*screen);
        EXPECT_EQ(field->stringValue(), row.shown);
        EXPECT_EQ(scene.env.context->serverUrl, row.shown);
        EXPECT_EQ(field->placeholderAttributedString(),
                  (AttributedString{"Server URL", appearance::placeholderColor,
                                    appearance::placeholderFont}));
        EXPECT_TRUE(FakeEnvironment::views(*screen).wantsLayer());
        EXPECT_EQ(scene.env.settings.writtenKeys().size(), writesBefore)
            << "loading writes nothing";
        EXPECT_TRUE(scene.env.alerts.alerts.empty());
    }
}

TEST(SettingController, ASavedAddressIsInForceAtOnceAndInALaterRunOnlyOnceTheScreenLoads) {
    SettingsScene first;
    auto screen = first.open();
    SettingsScene::serverField(*screen)->setStringValue("10.8.0.1");
    FakeEnvironment::views(*screen).performAction("btnSave");

    EXPECT_EQ(first.env.alerts.alerts, std::vector<Alert>{notice("Server changed successfully")});
    EXPECT_EQ(first.env.context->serverUrl, "10.8.0.1");
    EXPECT_EQ(first.stored(), SettingValue{std::string("10.8.0.1")});
    EXPECT_EQ(SettingsScene::serverField(*first.open())->stringValue(), "10.8.0.1")
        << "reopened in the same run";

    SettingsScene later;
    later.env.settings.setObject("10.8.0.1", "server_url");
    EXPECT_EQ(later.env.context->serverUrl, builtInServer) << "not before the screen loads";
    EXPECT_EQ(SettingsScene::serverField(*later.open())->stringValue(), "10.8.0.1");
    EXPECT_EQ(later.env.context->serverUrl, "10.8.0.1");
}

TEST(SettingController, SavingKeepsAnyTextAsTypedAndRefusesOnlyAnEmptyOne) {
    struct Row {
        const char* name;
        std::string typed;
        bool accepted;
    };
    const std::vector<Row> rows{
        {"empty", "", false},
        {"leading and trailing blanks", "  vpn.example.net ", true},
        {"blanks only", "   ", true},
        {"not a host at all", "vpn example; rm -rf ~", true},
        {"the address already in force", "old.example", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SettingsScene scene;
        scene.env.settings.setObject("old.example", "server_url");
        auto screen = scene.open();
        SettingsScene::serverField(*screen)->setStringValue(row.typed);
        FakeEnvironment::views(*screen).performAction("btnSave");

        const std::string expected = row.accepted ? row.typed : "old.example";
        EXPECT_EQ(scene.env.context->serverUrl, expected);
        EXPECT_EQ(scene.stored(), SettingValue{expected});
        EXPECT_EQ(scene.env.settings.writtenKeys().size(), row.accepted ? 2U : 1U)
            << "a refused save writes nothing; an accepted one writes even an unchanged value";
        EXPECT_EQ(scene.env.alerts.alerts,
                  std::vector<Alert>{notice(row.accepted ? "Server changed successfully"
                                                         : "Please input server ip")});
        EXPECT_EQ(scene.env.content<SettingController>(), screen) << "the screen stays open";
        EXPECT_EQ(SettingsScene::serverField(*screen)->stringValue(), row.typed);
    }
}

TEST(SettingController, BackWithoutSavingLosesTheTextAndBringsAFreshMainScreen) {
    SettingsScene scene;
    auto screen = scene.open();
    SettingsScene::serverField(*screen)->setStringValue("typed.example");
    FakeEnvironment::views(*screen).performAction("btnBack");

    const auto firstMain = scene.env.window->contentViewController();
    ASSERT_NE(firstMain, nullptr);
    EXPECT_EQ(firstMain->storyboardIdentifier(), "MainController");
    EXPECT_EQ(scene.env.context->serverUrl, builtInServer);
    EXPECT_TRUE(scene.env.settings.writtenKeys().empty());
    EXPECT_TRUE(scene.env.alerts.alerts.empty());

    screen = scene.open();
    EXPECT_EQ(SettingsScene::serverField(*screen)->stringValue(), builtInServer);
    FakeEnvironment::views(*screen).performAction("btnBack");
    EXPECT_NE(scene.env.window->contentViewController(), firstMain) << "never the old instance";
}

TEST(SettingController, BackChangesNothingWithoutAWindowOrAMainScreenToGoTo) {
    FakeEnvironment env;
    env.storyboard.registerController("MainController", [] { return nullptr; });
    auto shown = std::dynamic_pointer_cast<SettingController>(env.show("SettingController"));
    shown->goBack();
    EXPECT_EQ(env.window->contentViewController(), shown) << "the window is never left empty";

    SettingsScene scene;
    auto loose = std::dynamic_pointer_cast<SettingController>(
        scene.env.storyboard.instantiateControllerWithIdentifier("SettingController"));
    loose->loadViewIfNeeded(scene.env.loader);
    loose->goBack();
    EXPECT_EQ(scene.env.window->contentViewController(), nullptr);
}

}  // namespace
}  // namespace twl
