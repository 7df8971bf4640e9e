#include "platform/qt/qt_window.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMainWindow>
#include <QVBoxLayout>

#include "declaring_screen.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_view_base.h"
#include "qt_test_support.h"

namespace twl {
namespace {

using test_support::DeclaringScreen;

class QtWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test_support::qtApplication(); }

    void SetUp() override {
        layouts.registerLayout("Small", [] { return sized(300, 200); });
        layouts.registerLayout("Tall", [] { return sized(300, 400); });
    }

    static std::unique_ptr<QWidget> sized(int width, int height) {
        auto root = std::make_unique<QWidget>();
        root->setWindowTitle(width == 300 && height == 200 ? "Small screen" : "");
        root->resize(width, height);
        auto* column = new QVBoxLayout(root.get());
        column->addWidget(new QLineEdit(root.get()));
        return root;
    }

    static std::shared_ptr<DeclaringScreen> screen(const std::string& identifier) {
        return std::make_shared<DeclaringScreen>(
            identifier, std::vector<test_support::DeclaredOutlet>{}, std::vector<std::string>{});
    }

    static QWidget* rootOf(const ViewController& shown) {
        return dynamic_cast<QtViewBase<View>*>(shown.view().get())->widget();
    }

    std::shared_ptr<QtWindow> makeWindow(bool trayAvailable = false) {
        auto window = QtWindow::createMain(layouts, [trayAvailable] { return trayAvailable; });
        window->show();
        return window;
    }

    QtLayouts layouts;
};

TEST_F(QtWindowTest, TheWindowTakesItsContentsSizeAndKeepsItOnceNotResizable) {
    auto window = makeWindow();
    window->setContentViewController(screen("Small"));
    EXPECT_EQ(window->widget()->size(), QSize(300, 200));

    window->setStyleMask(window->styleMask() & ~window_style::resizable);
    EXPECT_EQ(window->styleMask() & window_style::resizable, 0U);
    EXPECT_EQ(window->widget()->minimumSize(), QSize(300, 200));
    EXPECT_EQ(window->widget()->maximumSize(), QSize(300, 200));

    window->setContentViewController(screen("Tall"));
    EXPECT_EQ(window->widget()->size(), QSize(300, 400)) << "a new screen brings its own size";
    EXPECT_EQ(window->widget()->maximumSize(), QSize(300, 400));

    window->setStyleMask(window->styleMask() | window_style::resizable);
    EXPECT_GT(window->widget()->maximumSize().height(), 400);
}

TEST_F(QtWindowTest, AReplacedScreensWidgetsWaitOffScreenNotAsAWindow) {
    auto window = makeWindow();
    auto first = screen("Small");
    window->setContentViewController(first);
    EXPECT_EQ(window->widget()->windowTitle(), "Small screen");
    window->setContentViewController(screen("Tall"));

    QWidget* root = rootOf(*first);
    EXPECT_FALSE(root->isWindow());
    EXPECT_FALSE(root->isVisible());
    EXPECT_EQ(first->view()->superview(), nullptr);
}

TEST_F(QtWindowTest, ModalWindowsAreWindowModalOverTheirPresenter) {
    auto window = makeWindow();
    auto main = screen("Tall");
    window->setContentViewController(main);
    auto dialog = screen("Small");
    main->presentViewControllerAsModalWindow(dialog);

    ASSERT_EQ(window->presentedWindows().size(), 1U);
    QWidget* modal = window->presentedWindows().front()->widget();
    EXPECT_EQ(modal->windowModality(), Qt::WindowModal);
    EXPECT_EQ(modal->parentWidget(), window->widget());
    EXPECT_TRUE(modal->isVisible());
    EXPECT_EQ(modal->windowTitle(), "Small screen");

    std::weak_ptr<DeclaringScreen> watch = dialog;
    dialog->dismissViewController(*dialog);
    dialog.reset();
    test_support::finishTurn();
    EXPECT_TRUE(watch.expired()) << "a dismissed dialog is let go";
}

TEST_F(QtWindowTest, ClosingTheMainWindowHidesToTheTrayOrMinimisesWithoutOne) {
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        auto window = makeWindow(tray);
        window->setContentViewController(screen("Small"));
        EXPECT_EQ(window->widget()->close(), tray) << "the close is refused only to minimise";
        EXPECT_EQ(window->widget()->isVisible(), !tray);
        EXPECT_EQ(window->widget()->isMinimized(), !tray);
        EXPECT_FALSE(window->isVisible());

        window->show();
        EXPECT_TRUE(window->isVisible()) << "showing brings it back either way";
    }
}

TEST_F(QtWindowTest, ALayoutThatDoesNotFitLeavesTheOldContent) {
    auto window = makeWindow();
    auto shown = screen("Small");
    window->setContentViewController(shown);
    auto misfit = std::make_shared<DeclaringScreen>(
        "Small",
        std::vector<test_support::DeclaredOutlet>{{"edtMissing", test_support::Facade::textField}},
        std::vector<std::string>{});

    EXPECT_THROW(window->setContentViewController(misfit), std::logic_error);
    EXPECT_EQ(window->contentViewController(), shown);
    EXPECT_FALSE(misfit->isViewLoaded());
    EXPECT_THROW(window->setContentViewController(screen("Unknown")), std::logic_error);
}

TEST_F(QtWindowTest, DestroyingTheWindowLeavesScreensThatOutliveItHarmless) {
    auto window = makeWindow();
    auto plain = screen("Small");
    window->setContentViewController(plain);
    window->setContentViewController(screen("Tall"));
    window.reset();  // the replaced `plain` and the current content go with it

    EXPECT_EQ(plain->window(), nullptr);
    plain->view()->setHidden(false);  // a late tick on a screen a timer still holds
    EXPECT_TRUE(plain->view()->isHidden());
}

}  // namespace
}  // namespace twl
