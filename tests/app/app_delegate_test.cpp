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
};

TEST_F(AppDelegateTest, TheMenuQuitsAndQuitSaysSoAndDisconnectsOnlyATunnelThatIsUp) {
    delegate.applicationDidFinishLaunching();
    ASSERT_EQ(statusBar.items.size(), 1U);
    EXPECT_EQ(statusBar.items[0]->recordingButton().images, std::vector<std::string>{"menubar"});
    EXPECT_EQ(statusBar.items[0]->menu()->items(),
              (std::vector<MenuItem>{{"Close Application", MenuAction::terminate, "q"}}));
    context.isConnecting = true;  // a connection still coming up is not a tunnel
    delegate.applicationWillTerminate();
    EXPECT_EQ(console.lines, std::vector<std::string>{"app is closed"});
    EXPECT_TRUE(interpreter.sources.empty());

    context.isConnected = true;
    interpreter.result = ScriptResult{false, "", "networksetup failed"};  // not looked at
    delegate.applicationWillTerminate();
    EXPECT_EQ(console.lines, (std::vector<std::string>{"app is closed", "app is closed"}));
    EXPECT_EQ(interpreter.sources,
              std::vector<std::string>{R"(do shell script "networksetup -disconnectpppoeservice )"
                                       R"(Tidewaterlink")"})
        << "no administrator privileges and no credentials";
    ASSERT_EQ(interpreter.options.size(), 1U);
    EXPECT_EQ(interpreter.options[0].timeLimit, std::chrono::seconds(5)) << "quitting is bounded";
}

}  // namespace
}  // namespace twl
