#include "signin/tool_step.h"

#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "app/stored_secrets.h"
#include "login_screen_harness.h"

namespace twl {
namespace {

using test_support::LoginScreenHarness;

const std::string marker = "/usr/local/macosvpn.txt";

// The tool may sit in a folder with a blank in its name: the copy quotes it.
TEST(ToolStep, EachLoginScreenFlipsTheMarkerAndWrongCredentialsChangeNothing) {
    LoginScreenHarness ui;
    ui.env.bundle.resources["macosvpn.txt"] = "/opt/Tide Water/macosvpn.txt";
    ui.env.settings.setObject("admin", keys::username);
    ui.env.settings.setObject("admin-pass", keys::userpassword);
    ui.load();
    ui.env.loop.runPending();
    EXPECT_TRUE(ui.env.files.fileExistsAtPath(marker));
    EXPECT_TRUE(ui.env.context->isAdminConfirmed);
    ui.load();  // a sign-out brings a new login screen
    ui.env.loop.runPending();
    EXPECT_FALSE(ui.env.files.fileExistsAtPath(marker)) << "back as it was before the first";
    const std::string pair =
        R"( user name "admin" password "admin-pass" with administrator privileges)";
    EXPECT_EQ(ui.env.system.sources,
              (std::vector<std::string>{
                  R"(do shell script "sudo cp '/opt/Tide Water/macosvpn.txt' /usr/local")" + pair,
                  R"(do shell script "sudo rm -rf /usr/local/macosvpn.txt")" + pair}));
    EXPECT_EQ(ui.env.console.lines, std::vector<std::string>(2, "-- is correct -- "));

    ui.env.context->secrets().set(keys::userpassword, "stale-pass");
    ui.load();
    ui.env.loop.runPending();
    EXPECT_EQ(ui.env.system.sources.size(), 3U);
    EXPECT_FALSE(ui.env.files.fileExistsAtPath(marker));
    EXPECT_EQ(ui.env.console.lines.size(), 2U);
}

// What the account may do depends on the administrator being proved, so a
// sign-in asked for while the tool step runs goes out only after it.
TEST(ToolStep, ASignInDuringTheStepWaitsForIt) {
    LoginScreenHarness ui;
    ui.env.settings.setObject("admin", keys::username);
    ui.env.settings.setObject("admin-pass", keys::userpassword);
    ui.env.system.commandSeconds = 2.0;
    ui.load();
    ui.signIn("demo", "demo-pass");
    ui.env.loop.advance(1.9);
    EXPECT_TRUE(ui.env.http.requests().empty());
    ui.env.loop.advance(0.1);
    EXPECT_TRUE(ui.env.context->isAdminConfirmed);
    EXPECT_EQ(ui.env.http.requests().size(), 1u);
}

TEST(ToolStep, IsSkippedWithoutAStoredPasswordOrWithoutTheTool) {
    for (const bool passwordStored : {false, true}) {
        LoginScreenHarness ui;
        ui.env.settings.setObject("admin", keys::username);
        if (passwordStored) {
            ui.env.settings.setObject("admin-pass", keys::userpassword);
            ui.env.bundle.resources.erase("macosvpn.txt");
        }
        ui.load();
        EXPECT_TRUE(ui.env.system.sources.empty()) << passwordStored;
        EXPECT_FALSE(ui.env.context->isAdminConfirmed);
        EXPECT_TRUE(ui.env.console.lines.empty());
    }
}

}  // namespace
}  // namespace twl
