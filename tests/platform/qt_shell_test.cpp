// The client's forms, the main window, its modal windows, its alerts and the
// desktop shell. Single instance and the quit signals are proven on the real
// binary in tests/app/client_process_test.cpp.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

#include "fakes/screen_environment.h"
#include "fakes/stub_screen.h"
#include "platform/qt/qt_alert_presenter.h"
#include "platform/qt/qt_run_loop.h"
#include "qt_test_support.h"
#include "screens/screen_style.h"
#include "screens/screen_window.h"
#include "ui_dialog_controller.h"
#include "ui_login_controller.h"
#include "ui_main_controller.h"
#include "ui_setting_controller.h"

namespace twl {
namespace {

using fakes::StubScreen;
using test_support::BuiltForm;

template <typename Form>
void expectEveryControlNamed() {
    BuiltForm<Form> form;
    for (QWidget* widget : form.root.template findChildren<QWidget*>()) {
        auto* picture = qobject_cast<QLabel*>(widget);
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
            (picture && !picture->pixmap().isNull())) {
            EXPECT_NE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name),
                      QString())
                << form.root.objectName().toStdString() << " "
                << widget->objectName().toStdString();
        }
    }
}

// Fields and pictures have no text of their own for assistive technology to
// read out; the placeholder is only a description.
TEST(Forms, EveryFieldButtonAndPictureHasAName) {
    expectEveryControlNamed<Ui::LoginControllerLayout>();
    expectEveryControlNamed<Ui::MainControllerLayout>();
    expectEveryControlNamed<Ui::SettingControllerLayout>();
    expectEveryControlNamed<Ui::DialogControllerLayout>();
}

template <typename Form>
void expectShownAsPlainTextWithinPlace(QLabel* Form::*label, const std::string& text, bool elided) {
    SCOPED_TRACE(text.substr(0, 20));
    BuiltForm<Form> form;
    form.root.show();
    const QSize before = form.root.sizeHint();
    QLabel& shown = *(form.ui.*label);
    shown.parentWidget()->show();  // the panel, as the screen shows it
    screen_style::showText(shown, text);
    test_support::finishTurn();

    EXPECT_EQ(shown.textFormat(), Qt::PlainText);
    EXPECT_EQ(screen_style::textOf(shown), text) << "the whole text, as sent";
    EXPECT_EQ(form.root.sizeHint().width(), before.width()) << "the window does not grow";
    EXPECT_LE(shown.height(), 4 * shown.fontMetrics().lineSpacing());
    QTextDocument tip;  // as the tooltip shows it
    tip.setHtml(shown.toolTip());
    const std::string hover = tip.toPlainText().toStdString();
    if (elided) {
        EXPECT_EQ(hover.substr(0, 100), text.substr(0, 100)) << "markup shows as sent";
        EXPECT_LT(hover.size(), 4000u) << "a huge text is cut";
    } else {
        EXPECT_TRUE(shown.toolTip().isEmpty());
        EXPECT_EQ(shown.text().toStdString(), text);
    }
}

// A server's words are shown as sent, never as markup, and never grow the window.
TEST(Forms, LabelsShowOutsideTextAsPlainTextWithinTheirPlace) {
    const std::string markup = "<b>Renew</b> at <a href='https://x.test'>our site</a>";
    const std::string essay = markup + " " + std::string(3000, 'w') + " and more words after";
    using Login = Ui::LoginControllerLayout;
    expectShownAsPlainTextWithinPlace(&Login::lblErrorMessage, markup, false);
    expectShownAsPlainTextWithinPlace(&Login::lblErrorMessage, essay, true);
    expectShownAsPlainTextWithinPlace(&Ui::MainControllerLayout::lblIPAddress,
                                      std::string(1 << 20, 'w'), true);
}

// Timers, delays and posts from the transport's thread run real attempts in
// tests/vpn; this is the lifetime rule the screens rely on.
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

// An alert shows its texts as plain text and says which button was pressed.
TEST(QtAlertPresenter, ShowsItsTextsPlainlyAndAnswersWithThePressedButton) {
    QString shown;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text() + "|" + box->informativeText() + "|" + box->defaultButton()->text();
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == "Quit") {
                button->click();
            }
        }
    });
    const Alert alert{
        "Tidewaterlink", "<b>No servers found</b>", AlertStyle::warning, {"Retry", "Quit"}};
    EXPECT_EQ(QtAlertPresenter().runModal(alert), 1);
    EXPECT_EQ(shown, "Tidewaterlink|<b>No servers found</b>|Retry");
}

TEST(DesktopShell, ClosingTheLastWindowKeepsTheClientRunningUntilReopenedOrQuitOnce) {
    fakes::ScreenEnvironment env;
    env.storyboard.registerController("First", fakes::stubScreens());
    // Finding the desktop's tray takes round trips that the window need not wait for.
    EXPECT_EQ(env.delegate.statusItem(), nullptr) << "not before the launch";
    env.show("First");
    EXPECT_NE(env.delegate.statusItem(), nullptr) << "launched";
    QTimer::singleShot(0, [&] { env.shell.mainWindow().widget()->close(); });
    bool runningQuietly = false;  // a quit path would end the loop before this
    QTimer::singleShot(200, [&] {
        runningQuietly = env.console.lines.empty();
        QCoreApplication::quit();
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(runningQuietly) << "closing ran no quit path";
    EXPECT_FALSE(env.shell.mainWindow().isVisible());
    env.shell.reopen();  // as a later launch asks
    EXPECT_TRUE(env.shell.mainWindow().isVisible());
    env.shell.terminate();  // a second request changes nothing
    test_support::finishTurn();
    EXPECT_EQ(env.console.lines, std::vector<std::string>{"app is closed"});
}

std::shared_ptr<ScreenWindow> shownMainWindow(bool trayAvailable = false) {
    auto window = ScreenWindow::createMain([trayAvailable] { return trayAvailable; });
    window->show();
    return window;
}

// Controllers rely on Esc leaving the main window up and cancelling a modal
// window (its close button: the dialog's own tests).
TEST(ScreenWindow, AModalWindowIsWindowModalAndEscCancelsIt) {
    auto window = shownMainWindow();
    auto main = std::make_shared<StubScreen>();
    window->setContentViewController(main);
    QTest::keyClick(window->widget(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());

    auto dialog = std::make_shared<StubScreen>(QSize{300, 200});
    main->presentViewControllerAsModalWindow(dialog);
    ASSERT_EQ(window->presentedWindows().size(), 1U);
    QWidget* modal = window->presentedWindows().front()->widget();
    EXPECT_EQ(modal->windowModality(), Qt::WindowModal);
    EXPECT_EQ(modal->parentWidget(), window->widget());
    QTest::keyClick(modal, Qt::Key_Escape);
    EXPECT_EQ(dialog->events.back(), "cancelOperation");
    EXPECT_TRUE(window->presentedWindows().empty());
    EXPECT_EQ(window->contentViewController(), main);
}

// A screen replaced while one of its own widgets is handling an event stays
// whole until that event is done; then it and its widgets go.
TEST(ScreenWindow, AReplacedScreenGoesOnceTheEventThatReplacedItIsDone) {
    auto window = shownMainWindow();
    auto first = std::make_shared<StubScreen>();
    window->setContentViewController(first);
    QPointer<QWidget> firstRoot = first->view();
    std::weak_ptr<StubScreen> gone = first;
    first.reset();
    window->setContentViewController(std::make_shared<StubScreen>());
    EXPECT_FALSE(gone.expired() || firstRoot.isNull()) << "not in the middle of its event";
    EXPECT_FALSE(firstRoot->isVisible()) << "nor a window of its own meanwhile";
    test_support::finishTurn();
    EXPECT_TRUE(gone.expired());
    EXPECT_TRUE(firstRoot.isNull());
}

TEST(ScreenWindow, HidingTheClientOrClosingItsWindowGoesToTheTrayOrMinimisesWithoutOne) {
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        QtWorkspace workspace([tray] { return tray; });
        auto window = shownMainWindow(tray);
        window->setContentViewController(std::make_shared<StubScreen>());
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
