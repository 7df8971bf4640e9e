#include "signin/tool_step.h"

#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "fakes/fake_environment.h"
#include "login_screen_harness.h"

namespace twl {
namespace {

using test_support::LoginScreenHarness;

const std::string marker = "/usr/local/macosvpn.txt";
const std::string copyStatement =
    R"(do shell script "sudo cp /opt/tidewaterlink/share/macosvpn.txt /usr/local")"
    R"( user name "admin" password "admin-pass" with administrator privileges)";
const std::string removalStatement =
    R"(do shell script "sudo rm -rf /usr/local/macosvpn.txt")"
    R"( user name "admin" password "admin-pass" with administrator privileges)";

struct ToolStepRig {
    ToolStepRig() { env.context->toolResourcePath = env.bundle.resources.at("macosvpn.txt"); }
    void storeAdmin(const std::string& userName, const std::string& password) {
        env.settings.setObject(userName, keys::username);
        env.settings.setObject(password, keys::userpassword);
    }
    bool markerThere() const { return env.files.fileExistsAtPath(marker); }

    fakes::FakeEnvironment env;
};

TEST(ToolStep, RightCredentialsFlipTheMarkerAndConfirmTheAdministrator) {
    struct Row {
        const char* name;
        bool markerBefore;
        std::string statement;
    };
    const Row rows[] = {
        {"no marker: copied in", false, copyStatement},
        {"marker there: removed", true, removalStatement},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ToolStepRig rig;
        rig.storeAdmin("admin", "admin-pass");
        if (row.markerBefore) {
            rig.env.files.paths.insert(marker);
        }
        runToolStep(*rig.env.context);

        EXPECT_EQ(rig.env.system.sources, std::vector<std::string>{row.statement});
        EXPECT_NE(rig.markerThere(), row.markerBefore);
        EXPECT_TRUE(rig.env.context->isAdminConfirmed);
        EXPECT_EQ(rig.env.console.lines, std::vector<std::string>{"-- is correct -- "});
    }
}

TEST(ToolStep, CredentialsThatDoNotWorkChangeNothingAndSayNothing) {
    for (const bool markerBefore : {false, true}) {
        SCOPED_TRACE(markerBefore ? "marker there" : "no marker");
        ToolStepRig rig;
        rig.storeAdmin("admin", "stale-pass");
        if (markerBefore) {
            rig.env.files.paths.insert(marker);
        }
        runToolStep(*rig.env.context);

        EXPECT_EQ(rig.env.system.sources.size(), 1U) << "the system is asked once";
        EXPECT_EQ(rig.markerThere(), markerBefore);
        EXPECT_FALSE(rig.env.context->isAdminConfirmed);
        EXPECT_TRUE(rig.env.console.lines.empty());
    }
}

TEST(ToolStep, IsSkippedUnlessBothCredentialsAreStoredAsText) {
    struct Row {
        const char* name;
        std::function<void(fakes::MemorySettingsStore&)> store;
    };
    const Row rows[] = {
        {"nothing stored", [](auto&) {}},
        {"user name without password",
         [](auto& store) { store.setObject("admin", keys::username); }},
        {"user name stored as a flag",
         [](auto& store) {
             store.setBool(true, keys::username);
             store.setObject("admin-pass", keys::userpassword);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ToolStepRig rig;
        row.store(rig.env.settings);
        rig.env.context->isAdminConfirmed = true;  // proved earlier in this run
        runToolStep(*rig.env.context);

        EXPECT_TRUE(rig.env.system.sources.empty());
        EXPECT_FALSE(rig.markerThere());
        EXPECT_TRUE(rig.env.context->isAdminConfirmed) << "never taken back";
        EXPECT_TRUE(rig.env.console.lines.empty());
    }
}

TEST(ToolStep, EachLoginScreenRunsItSoTheMarkerAlternates) {
    LoginScreenHarness ui;
    ui.env.settings.setObject("admin", keys::username);
    ui.env.settings.setObject("admin-pass", keys::userpassword);

    ui.load();
    EXPECT_TRUE(ui.env.files.fileExistsAtPath(marker));
    EXPECT_TRUE(ui.env.context->isAdminConfirmed);
    ui.load();  // a sign-out brings a new login screen
    EXPECT_FALSE(ui.env.files.fileExistsAtPath(marker)) << "back as it was before the first";
    EXPECT_EQ(ui.env.system.sources, (std::vector<std::string>{copyStatement, removalStatement}));
    EXPECT_EQ(ui.env.console.lines,
              (std::vector<std::string>{"-- is correct -- ", "-- is correct -- "}));
}

TEST(ToolStep, WithoutAToolResourceNothingIsCopiedAndTheSignInGoesOn) {
    LoginScreenHarness ui;
    ui.env.settings.setObject("admin", keys::username);
    ui.env.settings.setObject("admin-pass", keys::userpassword);
    ui.env.settings.setBool(true, keys::autoLogin);
    ui.env.settings.setObject("demo", keys::vpnUserName);
    ui.env.settings.setObject("demo-pass", keys::vpnUserPassword);
    ui.env.bundle.resources.erase("macosvpn.txt");

    ui.load();
    EXPECT_EQ(ui.env.context->toolResourcePath, "");
    EXPECT_TRUE(ui.env.system.sources.empty()) << "a copy of nothing could only fail";
    EXPECT_FALSE(ui.env.context->isAdminConfirmed);
    EXPECT_EQ(ui.requestCount(), 1U);
}

}  // namespace
}  // namespace twl
