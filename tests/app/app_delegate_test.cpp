#include "app/app_delegate.h"

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "fakes/fake_status_bar.h"
#include "fakes/recording_console.h"
#include "fakes/recording_script_interpreter.h"
#include "platform/menu.h"

namespace twl {
namespace {

class AppDelegateTest : public ::testing::Test {
  protected:
    fakes::FakeStatusBar statusBar;
    fakes::RecordingConsole console;
    fakes::RecordingScriptInterpreter interpreter;
    AppContext context{Services{.console = &console, .interpreter = &interpreter},
                       Endpoints{"https://api.test", "https://ip.test", "vpn.test", ""}};
    AppDelegate delegate{context, statusBar};

    fakes::FakeStatusItem& item() { return *statusBar.items.at(0); }
};

TEST_F(AppDelegateTest, CreationMakesOneBareVariableLengthItem) {
    ASSERT_EQ(statusBar.items.size(), 1U);
    EXPECT_EQ(item().length, -1.0);
    EXPECT_TRUE(item().recordingButton().images.empty()) << "no image before launch";
    EXPECT_EQ(item().menu(), nullptr) << "no menu before launch";
    ASSERT_NE(delegate.menu(), nullptr);
    EXPECT_TRUE(delegate.menu()->items().empty());
}

TEST_F(AppDelegateTest, LaunchSharesTheItemsButtonShowingMenubarWithOneQuitEntry) {
    const auto placeholder = context.statusBarButton;
    delegate.applicationDidFinishLaunching();

    EXPECT_NE(context.statusBarButton, placeholder);
    EXPECT_EQ(context.statusBarButton, item().button()) << "screens restyle the item's own button";
    EXPECT_EQ(item().recordingButton().images, std::vector<std::string>{"menubar"});

    ASSERT_EQ(item().menu(), delegate.menu());
    EXPECT_EQ(item().menuAttachments, 1);
    const std::vector<MenuItem> expected{{"Close Application", MenuAction::terminate, "q"}};
    EXPECT_EQ(delegate.menu()->items(), expected);
    EXPECT_TRUE(console.lines.empty());
    EXPECT_TRUE(interpreter.sources.empty());
}

TEST_F(AppDelegateTest, AScreenRestylingTheSharedButtonChangesTheTrayItem) {
    delegate.applicationDidFinishLaunching();
    context.statusBarButton->setImage("menubar_hover");
    EXPECT_EQ(item().recordingButton().imageName(), "menubar_hover");
}

TEST_F(AppDelegateTest, QuitWhileDisconnectedOnlySaysSo) {
    delegate.applicationDidFinishLaunching();
    context.isConnecting = true;  // a connection still coming up is not a tunnel
    delegate.applicationWillTerminate();

    EXPECT_EQ(console.lines, std::vector<std::string>{"app is closed"});
    EXPECT_TRUE(interpreter.sources.empty());
}

TEST_F(AppDelegateTest, QuitWhileConnectedRunsExactlyOnePlainDisconnect) {
    delegate.applicationDidFinishLaunching();
    context.isConnected = true;
    interpreter.result = ScriptResult{false, "", "networksetup failed"};  // not looked at
    delegate.applicationWillTerminate();

    EXPECT_EQ(console.lines, std::vector<std::string>{"app is closed"});
    EXPECT_EQ(interpreter.sources,
              std::vector<std::string>{R"(do shell script "networksetup -disconnectpppoeservice )"
                                       R"(Tidewaterlink")"})
        << "no administrator privileges and no credentials";
}

TEST_F(AppDelegateTest, ReopenAlwaysLetsTheWindowComeBack) {
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    EXPECT_TRUE(delegate.shouldPresentNotification());
}

}  // namespace
}  // namespace twl
