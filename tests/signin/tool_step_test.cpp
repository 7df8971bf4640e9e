#include "signin/tool_step.h"

#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "login_screen_harness.h"

namespace twl {
namespace {

using test_support::LoginScreenHarness;

const std::string marker = "/usr/local/macosvpn.txt";

TEST(ToolStep, EachLoginScreenFlipsTheMarkerWithTheStoredPair) {
    LoginScreenHarness ui;
    ui.env.settings.setObject("admin", keys::username);
    ui.env.settings.setObject("admin-pass", keys::userpassword);
    ui.load();
    EXPECT_TRUE(ui.env.files.fileExistsAtPath(marker));
    EXPECT_TRUE(ui.env.context->isAdminConfirmed);
    ui.load();  // a sign-out brings a new login screen
    EXPECT_FALSE(ui.env.files.fileExistsAtPath(marker)) << "back as it was before the first";
    const std::string pair =
        R"( user name "admin" password "admin-pass" with administrator privileges)";
    EXPECT_EQ(
        ui.env.system.sources,
        (std::vector<std::string>{
            R"(do shell script "sudo cp /opt/tidewaterlink/share/macosvpn.txt /usr/local")" + pair,
            R"(do shell script "sudo rm -rf /usr/local/macosvpn.txt")" + pair}));
    EXPECT_EQ(ui.env.console.lines, std::vector<std::string>(2, "-- is correct -- "));

    ui.env.settings.setObject("stale-pass", keys::userpassword);
    ui.load();  // wrong credentials leave everything as it was
    EXPECT_EQ(ui.env.system.sources.size(), 3U);
    EXPECT_FALSE(ui.env.files.fileExistsAtPath(marker));
    EXPECT_EQ(ui.env.console.lines.size(), 2U);
}

TEST(ToolStep, IsSkippedUnlessBothCredentialsAreStoredAsTextAndTheToolIsThere) {
    struct Row {
        const char* name;
        std::function<void(LoginScreenHarness&)> arrange;
    };
    const Row rows[] = {
        {"user name without password",
         [](auto& ui) { ui.env.settings.setObject("admin", keys::username); }},
        {"user name stored as a flag",
         [](auto& ui) {
             ui.env.settings.setBool(true, keys::username);
             ui.env.settings.setObject("admin-pass", keys::userpassword);
         }},
        {"no tool resource",
         [](auto& ui) {
             ui.env.settings.setObject("admin", keys::username);
             ui.env.settings.setObject("admin-pass", keys::userpassword);
             ui.env.bundle.resources.erase("macosvpn.txt");
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoginScreenHarness ui;
        row.arrange(ui);
        ui.load();
        EXPECT_TRUE(ui.env.system.sources.empty());
        EXPECT_FALSE(ui.env.context->isAdminConfirmed);
        EXPECT_TRUE(ui.env.console.lines.empty());
    }
}

}  // namespace
}  // namespace twl
