// The saved server in force for the next connection: main_controller_test.cpp.
#include "screens/setting_controller.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "fakes/screen_environment.h"
#include "fakes/stub_screen.h"
#include "platform/qt/view_properties.h"

namespace twl {
namespace {

constexpr const char* builtInServer = "vpn.test";  // the fake services' default endpoint

// A run of the client with the settings screen open over a stub main screen.
struct SettingsScene {
    SettingsScene() { env.storyboard.registerController("MainController", fakes::stubScreens()); }
    QLineEdit& open() {
        env.show("SettingController");
        return dynamic_cast<QLineEdit&>(env.widget("edtServerUrl"));
    }
    void click(const char* control) { env.click(control); }

    fakes::ScreenEnvironment env;
};

// Back without saving loses the typed text.
TEST(SettingController, OpensOnTheBuiltInServerUnlessAStringIsStoredWhichThenHolds) {
    SettingsScene scene;
    scene.env.settings.setBool(true, "server_url");  // written from outside
    const QLineEdit& field = scene.open();
    EXPECT_EQ(field.text(), builtInServer);
    EXPECT_EQ(field.placeholderText(), "Server URL");
    EXPECT_TRUE(field.property(view_property::placeholderFont).isValid()) << "the shared look";

    SettingsScene saved;
    saved.env.settings.setObject("10.8.0.1", "server_url");
    EXPECT_EQ(saved.env.context->serverUrl, builtInServer) << "not before the screen loads";
    QLineEdit& savedField = saved.open();
    EXPECT_EQ(savedField.text(), "10.8.0.1");
    EXPECT_EQ(saved.env.context->serverUrl, "10.8.0.1");
    savedField.setText("typed.example");
    saved.click("btnBack");
    EXPECT_EQ(saved.env.onTop()->storyboardIdentifier(), "MainController");
    EXPECT_EQ(saved.env.context->serverUrl, "10.8.0.1");
    EXPECT_EQ(saved.env.settings.objectForKey("server_url"), SettingValue{"10.8.0.1"});
}

TEST(SettingController, AnEmptyAddressIsRefusedAndBlanksAreKept) {
    for (const std::string typed : {"", "  vpn.example.net "}) {
        SCOPED_TRACE(typed);
        SettingsScene scene;
        scene.env.settings.setObject("old.example", "server_url");
        scene.open().setText(QString::fromStdString(typed));
        scene.click("btnSave");
        const std::string expected = typed.empty() ? "old.example" : typed;
        EXPECT_EQ(scene.env.context->serverUrl, expected);
        EXPECT_EQ(scene.env.settings.objectForKey("server_url"), SettingValue{expected});
        ASSERT_EQ(scene.env.alerts.alerts.size(), 1u);
        EXPECT_EQ(scene.env.alerts.alerts[0].messageText, "Notice");
        EXPECT_EQ(scene.env.alerts.alerts[0].informativeText,
                  typed.empty() ? "Please input server ip" : "Server changed successfully");
    }
}

}  // namespace
}  // namespace twl
