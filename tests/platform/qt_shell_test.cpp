// The client's own layouts and the facades over their widgets, the main
// window, its modal windows and the desktop shell. Alerts are answered on the
// whole road in tests/e2e; single instance and the quit signals are proven on
// the real binary in tests/app/client_process_test.cpp.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include "platform/application_delegate.h"
#include "platform/qt/desktop_shell.h"
#include "platform/qt/interface_components.h"
#include "platform/qt/qt_button.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_outlet_binder.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_text_field.h"
#include "platform/qt/qt_view.h"
#include "platform/qt/qt_window.h"
#include "platform/qt/qt_workspace.h"
#include "qt_test_support.h"

namespace twl {
namespace {

using test_support::rootOf;
using test_support::screen;

QtLayouts& layouts() {
    static const auto made = QtLayouts::withStoryboardLayouts();
    return *made;
}

// A screen that binds nothing, its layout of that name loaded.
std::shared_ptr<fakes::StubScreen> loaded(const std::string& identifier) {
    auto made = screen(identifier);
    made->loadViewIfNeeded(layouts());
    return made;
}

// Fields and pictures have no text of their own for assistive technology to
// read out; the placeholder is only a description.
TEST(QtLayouts, EveryFieldButtonAndPictureHasAName) {
    registerInterfaceArtwork();
    for (const char* identifier :
         {"LoginController", "MainController", "SettingController", "DialogController"}) {
        auto screen = loaded(identifier);
        for (QWidget* widget : rootOf(*screen).findChildren<QWidget*>()) {
            auto* picture = qobject_cast<QLabel*>(widget);
            if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                (picture && !picture->pixmap().isNull())) {
                EXPECT_NE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name),
                          QString())
                    << identifier << " " << widget->objectName().toStdString();
            }
        }
    }
}

// However it is toggled (pointer, keys, a screen reader), the screen hears of
// each change, so its choice and the state that is heard never part.
TEST(QtLayouts, RememberMeIsHeardAsCheckedOrNot) {
    auto screen = loaded("LoginController");
    QtOutletBinder binder(rootOf(*screen), "LoginController");
    int flips = 0;
    binder.action("chkRemember", [&flips] { ++flips; });
    auto* control = rootOf(*screen).findChild<QWidget*>("chkRemember");
    QAccessibleInterface* remember = QAccessible::queryAccessibleInterface(control);
    QTest::mouseClick(control, Qt::LeftButton);
    EXPECT_TRUE(remember->state().checkable && remember->state().checked);
    remember->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(remember->state().checked);
    EXPECT_EQ(flips, 2);
}

// A timer may still hold a screen whose widgets are gone.
TEST(QtViews, FacadesOutliveTheirWidgetsHarmlessly) {
    auto* edit = new QLineEdit;
    auto* label = new QLabel;
    auto* button = new QPushButton("Sign In");
    QtTextField field(edit);
    QtButton login(button);
    QtView view(label);
    delete edit;
    delete button;
    delete label;
    field.setStringValue("late tick");
    login.setTitle("Disconnect");
    view.setHidden(false);
    EXPECT_EQ(field.stringValue(), "");
    EXPECT_TRUE(view.isHidden());
    EXPECT_EQ(login.layer(), nullptr);
}

// A server's words are shown as sent, never as markup, and never grow the window.
TEST(QtViews, LabelsShowOutsideTextAsPlainTextWithinTheirPlace) {
    struct Row {
        const char* screen;
        const char* label;
        std::string text;
        bool elided;
    };
    const std::string markup = "<b>Renew</b> at <a href='https://x.test'>our site</a>";
    const std::string image = "<img src='x' width=3000 height=2000>";
    const std::string essay = markup + " " + std::string(3000, 'w') + " and more words after";
    for (const auto& row :
         {Row{"LoginController", "lblErrorMessage", markup, false},
          Row{"LoginController", "lblErrorMessage", image, false},
          Row{"LoginController", "lblErrorMessage", essay, true},
          Row{"MainController", "lblIPAddress", std::string(1 << 20, 'w'), true}}) {
        SCOPED_TRACE(row.label + (" " + row.text.substr(0, 20)));
        auto screen = loaded(row.screen);
        QWidget& root = rootOf(*screen);
        root.show();
        const QSize before = root.sizeHint();
        auto* label = root.findChild<QLabel*>(row.label);
        ASSERT_NE(label, nullptr);
        label->parentWidget()->show();  // the panel, as the screen shows it
        QtTextField field(label);
        field.setStringValue(row.text);
        test_support::finishTurn();

        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(field.stringValue(), row.text) << "the whole text, as sent";
        EXPECT_EQ(root.sizeHint().width(), before.width()) << "the window does not grow";
        EXPECT_LE(label->height(), 4 * label->fontMetrics().lineSpacing());
        QTextDocument tip;  // as the tooltip shows it
        tip.setHtml(label->toolTip());
        const std::string hover = tip.toPlainText().toStdString();
        if (row.elided) {
            EXPECT_EQ(hover.substr(0, 100), row.text.substr(0, 100)) << "markup shows as sent";
            EXPECT_LT(hover.size(), 4000u) << "a huge text is cut";
        } else {
            EXPECT_TRUE(label->toolTip().isEmpty());
            EXPECT_EQ(label->text().toStdString(), row.text);
        }
    }
}

// Timers, delays and posts from the transport's thread run the whole road in
// tests/e2e; this is the lifetime rule the screens rely on.
TEST(QtRunLoop, InvalidateFromInsideTheHandlerReleasesItAfterItReturns) {
    QtRunLoop loop;
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> watch = captured;
    std::shared_ptr<Timer> timer;
    int ticks = 0;
    timer = loop.scheduleRepeating(0.01, [&, captured] {
        ++ticks;
        timer->invalidate();
        *captured += 1;  // still alive here
    });
    captured.reset();
    ASSERT_TRUE(test_support::spinUntil([&] { return ticks == 1; }));
    EXPECT_TRUE(watch.expired());
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 1);
}

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
