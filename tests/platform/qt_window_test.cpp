#include "platform/qt/qt_window.h"

#include <gtest/gtest.h>

#include <QTest>

#include "platform/qt/qt_layouts.h"
#include "qt_test_support.h"

namespace twl {
namespace {

using test_support::screen;

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

TEST_F(QtWindowTest, ClosingTheMainWindowHidesToTheTrayOrMinimisesWithoutOne) {
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        auto window = makeWindow(tray);
        window->setContentViewController(screen("Small"));
        window->widget()->close();
        EXPECT_EQ(window->widget()->isMinimized(), !tray);
        EXPECT_FALSE(window->isVisible());
        window->show();
        EXPECT_TRUE(window->isVisible()) << "showing brings it back either way";
    }
}

}  // namespace
}  // namespace twl
