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

// Quitting during an attempt or while connected: the connection's own tests.
TEST_F(AppDelegateTest, TheMenuQuitsAndQuitSaysSoAndRunsNothingWhileDisconnected) {
    EXPECT_TRUE(statusBar.items.empty()) << "the tray is asked before the window shows";
    delegate.applicationDidFinishLaunching();
    ASSERT_EQ(statusBar.items.size(), 1U);
    EXPECT_EQ(statusBar.items[0]->recordingButton().images, std::vector<std::string>{"menubar"});
    EXPECT_EQ(statusBar.items[0]->menu()->items(),
              (std::vector<MenuItem>{{"Close Application", MenuAction::terminate, "q"}}));
    delegate.applicationWillTerminate();
    EXPECT_EQ(console.lines, std::vector<std::string>{"app is closed"});
    EXPECT_TRUE(interpreter.sources.empty());
}

}  // namespace
}  // namespace twl
