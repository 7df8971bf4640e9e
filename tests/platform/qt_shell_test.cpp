// The main window, its modal windows and the desktop shell. Alerts are
// answered on the whole road in tests/e2e; single instance and the quit
// signals are proven on the real binary in tests/app/client_process_test.cpp.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "platform/application_delegate.h"
#include "platform/qt/desktop_shell.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_window.h"
#include "platform/qt/qt_workspace.h"
#include "qt_test_support.h"

namespace twl {
namespace {

using test_support::screen;

struct RecordingDelegate final : ApplicationDelegate {
    void applicationDidFinishLaunching() override { log.emplace_back("launched"); }
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override {
        log.emplace_back(hasVisibleWindows ? "reopen visible" : "reopen hidden");
        return true;
    }
    void applicationWillTerminate() override { log.emplace_back("will terminate"); }
    std::vector<std::string> log;
};

class DesktopShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        layouts.registerLayout("First", [] { return std::make_unique<QWidget>(); });
        shell.launch(delegate, screen("First"));
    }

    // Runs the application's event loop until something ends it.
    static int runLoop() {
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
        return QApplication::exec();
    }

    RecordingDelegate delegate;
    QtLayouts layouts;
    QtWorkspace workspace{[] { return true; }};
    DesktopShell shell{layouts, workspace, [] { return true; }};
};

// The menu entry and the quit signals are taken on the whole road in tests/e2e
// and by tests/app/client_process_test.cpp; a session logout asks as Qt does.
TEST_F(DesktopShellTest, ClosingTheLastWindowKeepsTheClientRunningAndAQuitRequestQuitsOnce) {
    QTimer::singleShot(0, [&] { shell.mainWindow().widget()->close(); });
    std::vector<std::string> logWhileRunning;
    QTimer::singleShot(200, [&] {
        logWhileRunning = delegate.log;
        QCoreApplication::quit();
    });
    EXPECT_EQ(runLoop(), 0);
    EXPECT_EQ(logWhileRunning, std::vector<std::string>{"launched"}) << "closing ran no quit path";
    shell.terminate();  // a second request changes nothing
    test_support::finishTurn();
    EXPECT_EQ(delegate.log, (std::vector<std::string>{"launched", "will terminate"}));
}

TEST_F(DesktopShellTest, ReopenBringsTheHiddenClientBack) {
    workspace.hideApplication("Tidewaterlink");
    shell.reopen();
    EXPECT_TRUE(shell.mainWindow().isVisible());
    shell.reopen();
    EXPECT_EQ(delegate.log,
              (std::vector<std::string>{"launched", "reopen hidden", "reopen visible"}));
}

class QtWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"Small", "Tall"}) {
            layouts.registerLayout(name, [] { return std::make_unique<QWidget>(); });
        }
    }

    std::shared_ptr<QtWindow> makeWindow(bool trayAvailable = false) {
        auto window = QtWindow::createMain(layouts, [trayAvailable] { return trayAvailable; });
        window->show();
        return window;
    }

    QtLayouts layouts;
};

// Controllers rely on Esc and the close button of a modal window being a
// cancel, and on Esc leaving the main window up.
TEST_F(QtWindowTest, AModalWindowIsWindowModalAndEscOrCloseCancelsIt) {
    auto window = makeWindow();
    auto main = screen("Tall");
    window->setContentViewController(main);
    QTest::keyClick(window->widget(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());

    for (const bool byEscape : {true, false}) {
        auto dialog = screen("Small");
        main->presentViewControllerAsModalWindow(dialog);
        ASSERT_EQ(window->presentedWindows().size(), 1U);
        QWidget* modal = window->presentedWindows().front()->widget();
        EXPECT_EQ(modal->windowModality(), Qt::WindowModal);
        EXPECT_EQ(modal->parentWidget(), window->widget());
        if (byEscape) {
            QTest::keyClick(modal, Qt::Key_Escape);
        } else {
            modal->close();
        }
        EXPECT_EQ(dialog->events.back(), "cancelOperation");
        EXPECT_TRUE(window->presentedWindows().empty());
        EXPECT_EQ(window->contentViewController(), main);
    }
}

TEST_F(QtWindowTest, HidingTheClientOrClosingItsWindowGoesToTheTrayOrMinimisesWithoutOne) {
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        QtWorkspace workspace([tray] { return tray; });
        auto window = makeWindow(tray);
        window->setContentViewController(screen("Small"));
        QWidget dialog(window->widget(), Qt::Dialog);
        dialog.show();
        EXPECT_FALSE(workspace.hideApplication("Another App"));
        EXPECT_TRUE(workspace.hideApplication("Tidewaterlink"));
        EXPECT_EQ(dialog.isVisible(), !tray);
        EXPECT_EQ(window->widget()->isMinimized(), !tray);
        workspace.unhideApplication();
        EXPECT_TRUE(window->isVisible() && !window->widget()->isMinimized());

        window->widget()->close();
        EXPECT_EQ(window->widget()->isMinimized(), !tray);
        EXPECT_FALSE(window->isVisible());
        window->show();
        EXPECT_TRUE(window->isVisible()) << "showing brings it back either way";
    }
}

}  // namespace
}  // namespace twl
