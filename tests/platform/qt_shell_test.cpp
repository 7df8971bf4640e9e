#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>

#include "declaring_screen.h"
#include "platform/application_delegate.h"
#include "platform/menu.h"
#include "platform/qt/desktop_shell.h"
#include "platform/qt/qt_alert_presenter.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_status_bar_button.h"
#include "platform/qt/qt_workspace.h"
#include "platform/qt/quit_signals.h"
#include "platform/qt/single_instance.h"
#include "platform/status_bar_button.h"
#include "qt_test_support.h"

namespace twl {
namespace {

class QtShellTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test_support::qtApplication(); }
};

// Presses the first button of the next message box once it is up, after
// letting a check look at it.
void answerNextMessageBox(std::function<void(QMessageBox&)> look) {
    QTimer::singleShot(0, [look = std::move(look)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        look(*box);
        box->buttons().front()->click();
    });
}

TEST_F(QtShellTest, AlertsAreModalWarningsWithOneOkButton) {
    QtAlertPresenter presenter;
    Alert alert;
    alert.messageText = "Notice";
    alert.informativeText = "Please input server ip";
    alert.alertStyle = AlertStyle::warning;
    alert.addButtonWithTitle("OK");

    bool tickedMeanwhile = false;
    QTimer::singleShot(0, [&] { tickedMeanwhile = true; });
    answerNextMessageBox([&](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.text(), "Notice");
        EXPECT_EQ(box.informativeText(), "Please input server ip");
        EXPECT_EQ(box.windowTitle(), "Tidewaterlink");
        ASSERT_EQ(box.buttons().size(), 1);
        EXPECT_EQ(box.buttons().front()->text(), "OK");
    });
    EXPECT_EQ(presenter.runModal(alert), Alert::firstButtonReturn);
    EXPECT_TRUE(tickedMeanwhile) << "timers keep running while the alert waits";
}

TEST_F(QtShellTest, HidingTheClientHidesEveryWindowOrMinimisesWithoutATray) {
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        QtWorkspace workspace([tray] { return tray; });
        QWidget main;
        QWidget dialog(&main, Qt::Dialog);
        main.show();
        dialog.show();

        EXPECT_FALSE(workspace.hideApplication("Another App"));
        EXPECT_TRUE(main.isVisible());

        EXPECT_TRUE(workspace.hideApplication("Tidewaterlink"));
        EXPECT_EQ(main.isVisible(), !tray);
        EXPECT_EQ(dialog.isVisible(), !tray);
        EXPECT_EQ(main.isMinimized(), !tray);

        workspace.unhideApplication();
        EXPECT_TRUE(main.isVisible() && !main.isMinimized());
        EXPECT_TRUE(dialog.isVisible() && !dialog.isMinimized());
    }
}

TEST_F(QtShellTest, TheStatusItemShowsItsImageAndItsMenuSendsItsAction) {
    std::vector<MenuAction> performed;
    QtStatusItem item([&](MenuAction action) { performed.push_back(action); });
    auto button = item.button();
    EXPECT_EQ(button, item.button()) << "one button for the item's life";
    button->setImage("menubar");
    EXPECT_EQ(button->imageName(), "menubar");
    EXPECT_FALSE(item.trayIcon().icon().isNull()) << "blank, not absent, without artwork";

    auto menu = std::make_shared<Menu>();
    menu->addItem(MenuItem{"Close Application", MenuAction::terminate, "q"});
    item.setMenu(menu);
    ASSERT_NE(item.shownMenu(), nullptr);
    const auto actions = item.shownMenu()->actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions.front()->text(), "Close Application");
    EXPECT_EQ(actions.front()->shortcut(), QKeySequence("Ctrl+Q"));
    actions.front()->trigger();
    EXPECT_EQ(performed, std::vector<MenuAction>{MenuAction::terminate});
}

// The application's side of the shell, recorded.
struct RecordingDelegate final : ApplicationDelegate {
    explicit RecordingDelegate(std::vector<std::string>& log) : log(log) {}
    void applicationDidFinishLaunching() override { log.emplace_back("launched"); }
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override {
        log.emplace_back(hasVisibleWindows ? "reopen visible" : "reopen hidden");
        return true;
    }
    void applicationWillTerminate() override { log.emplace_back("will terminate"); }
    std::vector<std::string>& log;
};

class DesktopShellTest : public QtShellTest {
  protected:
    void SetUp() override {
        layouts.registerLayout("First", [] {
            auto root = std::make_unique<QWidget>();
            root->resize(200, 100);
            return root;
        });
    }

    void launch() {
        auto first = std::make_shared<test_support::DeclaringScreen>(
            "First", std::vector<test_support::DeclaredOutlet>{}, std::vector<std::string>{});
        shell.launch(delegate, first);
    }

    // Runs the application's event loop until something ends it (or a limit).
    static int runLoop(int limitMs = 5000) {
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        limit.start(limitMs);
        return QApplication::exec();
    }

    std::vector<std::string> log;
    RecordingDelegate delegate{log};
    QtLayouts layouts;
    bool tray = true;
    QtWorkspace workspace{[this] { return tray; }};
    DesktopShell shell{layouts, workspace, [this] { return tray; }};
};

TEST_F(DesktopShellTest, LaunchShowsTheFirstScreenThenTellsTheDelegate) {
    launch();
    EXPECT_EQ(log, std::vector<std::string>{"launched"});
    EXPECT_TRUE(shell.mainWindow().isVisible());
    EXPECT_EQ(shell.mainWindow().contentViewController()->storyboardIdentifier(), "First");
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
}

TEST_F(DesktopShellTest, EveryWayToQuitTakesTheOnePathOnce) {
    const std::vector<std::pair<std::string, std::function<void(DesktopShell&)>>> ways{
        {"menu entry", [](DesktopShell& s) { s.terminate(); }},
        {"platform quit request", [](DesktopShell&) { QCoreApplication::quit(); }},
        {"loop ending", [](DesktopShell&) { QCoreApplication::exit(0); }},
    };
    for (const auto& [way, quit] : ways) {
        SCOPED_TRACE(way);
        log.clear();
        std::vector<std::string> ownLog;
        RecordingDelegate own(ownLog);
        QtWorkspace ownWorkspace([] { return false; });
        DesktopShell ownShell(layouts, ownWorkspace, [] { return false; });
        ownShell.launch(own, std::make_shared<test_support::DeclaringScreen>(
                                 "First", std::vector<test_support::DeclaredOutlet>{},
                                 std::vector<std::string>{}));
        QTimer::singleShot(0, [&, quit = quit] { quit(ownShell); });
        EXPECT_EQ(runLoop(), 0);
        ownShell.terminate();  // a second request changes nothing
        test_support::finishTurn();
        EXPECT_EQ(ownLog, (std::vector<std::string>{"launched", "will terminate"}));
    }
}

TEST_F(DesktopShellTest, ClosingTheLastWindowKeepsTheClientRunning) {
    launch();
    std::vector<std::string> logWhileRunning;
    QTimer::singleShot(0, [&] { shell.mainWindow().widget()->close(); });
    QTimer::singleShot(200, [&] {
        logWhileRunning = log;
        QCoreApplication::exit(7);
    });
    EXPECT_EQ(runLoop(), 7) << "the loop ran on until told to end";
    EXPECT_EQ(logWhileRunning, std::vector<std::string>{"launched"}) << "no quit path ran";
    EXPECT_FALSE(shell.mainWindow().isVisible());
}

TEST_F(DesktopShellTest, ReopenBringsTheHiddenClientBack) {
    launch();
    workspace.hideApplication("Tidewaterlink");
    ASSERT_FALSE(shell.mainWindow().isVisible());
    shell.reopen();
    EXPECT_TRUE(shell.mainWindow().isVisible());
    shell.reopen();
    EXPECT_EQ(log, (std::vector<std::string>{"launched", "reopen hidden", "reopen visible"}));
}

TEST_F(DesktopShellTest, TheWindowOffersTheMenusShortcuts) {
    auto statusItem = shell.statusBar().statusItemWithLength(-1.0);
    auto menu = std::make_shared<Menu>();
    menu->addItem(MenuItem{"Close Application", MenuAction::terminate, "q"});
    statusItem->setMenu(menu);
    launch();
    EXPECT_EQ(shell.mainWindow().widget()->actions().size(), 1);
}

class SingleInstanceTest : public QtShellTest {
  protected:
    QString socketPath() const { return folder.filePath("tidewaterlink.socket"); }
    QTemporaryDir folder;
};

TEST_F(SingleInstanceTest, ASecondLaunchReachesTheFirstWhichReopens) {
    SingleInstance first(socketPath());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::first);
    int reopened = 0;
    QObject::connect(&first, &SingleInstance::reopenRequested, [&] { ++reopened; });

    SingleInstance second(socketPath());
    EXPECT_EQ(second.claim(), SingleInstance::Claim::reachedRunning);
    EXPECT_TRUE(test_support::spinUntil([&] { return reopened == 1; }));
    SingleInstance third(socketPath());
    EXPECT_EQ(third.claim(), SingleInstance::Claim::reachedRunning);
    EXPECT_TRUE(test_support::spinUntil([&] { return reopened == 2; }));
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedClientIsReplaced) {
    // A bound socket nobody listens on: what a killed client leaves behind.
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = socketPath().toLocal8Bit();
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);

    SingleInstance instance(socketPath());
    EXPECT_EQ(instance.claim(), SingleInstance::Claim::first);
    EXPECT_EQ(SingleInstance(socketPath()).claim(), SingleInstance::Claim::reachedRunning);
}

TEST_F(QtShellTest, QuitSignalsArriveOnTheEventLoop) {
    QuitSignals quitSignals;
    int requests = 0;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, [&] { ++requests; });
    EXPECT_THROW({ QuitSignals another; }, std::logic_error) << "one at a time";
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const int before = requests;
        ::raise(signal);
        EXPECT_EQ(requests, before) << "never inside the handler";
        EXPECT_TRUE(test_support::spinUntil([&] { return requests == before + 1; })) << signal;
    }
}

}  // namespace
}  // namespace twl
