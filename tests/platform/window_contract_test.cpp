// The fake window that controller tests use must behave as the real one does;
// every case here runs against both.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "fakes/fake_root_view.h"
#include "fakes/fake_view_loader.h"
#include "fakes/fake_window.h"
#include "platform/outlet_binder.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_view_base.h"
#include "platform/qt/qt_window.h"
#include "platform/text_field.h"
#include "platform/view_controller.h"
#include "platform/window_delegate.h"
#include "qt_test_support.h"

namespace twl {
namespace {

using Log = std::vector<std::string>;

// A screen that writes its life into a shared log.
class LoggingScreen : public ViewController, public WindowDelegate {
  public:
    LoggingScreen(std::string name, Log& log) : name_(std::move(name)), log_(log) {
        setStoryboardIdentifier("TestScreen");
    }
    void bindOutlets(OutletBinder& binder) override {
        log_.push_back(name_ + " bind");
        binder.outlet("edtText", field);
        binder.action("btnGo", [this] {
            if (onGo) {
                onGo();
            }
        });
    }
    void viewDidLoad() override { log_.push_back(name_ + " viewDidLoad"); }
    void viewDidAppear() override { log_.push_back(name_ + " viewDidAppear"); }
    void cancelOperation() override {
        log_.push_back(name_ + " cancelOperation");
        ViewController::cancelOperation();
    }
    void windowWillClose() override { log_.push_back(name_ + " windowWillClose"); }

    std::weak_ptr<TextField> field;
    std::function<void()> onGo;

  private:
    std::string name_;
    Log& log_;
};

struct FakeHarness {
    fakes::FakeViewLoader loader;
    std::shared_ptr<fakes::FakeWindow> window = fakes::FakeWindow::makeMain(loader);

    Window& main() { return *window; }
    void click(ViewController& screen) { fakes::FakeRootView::of(screen).performAction("btnGo"); }
    void finishTurn() { window->dropReleased(); }
    void hideMain() { window->hide(); }
    void showMain() { window->show(); }
    void pressEscape(Window& shown) { static_cast<fakes::FakeWindow&>(shown).pressEscape(); }
    void pressClose(Window& shown) { static_cast<fakes::FakeWindow&>(shown).performClose(); }
    std::size_t modalCount() { return window->presentedWindows().size(); }
    bool isShown(Window& shown) { return static_cast<fakes::FakeWindow&>(shown).isVisible(); }
};

struct QtHarness {
    QtLayouts layouts;
    std::shared_ptr<QtWindow> window;

    QtHarness() {
        test_support::qtApplication();
        layouts.registerLayout("TestScreen", [] {
            auto root = std::make_unique<QWidget>();
            root->resize(320, 200);
            auto* column = new QVBoxLayout(root.get());
            auto* field = new QLineEdit(root.get());
            field->setObjectName("edtText");
            auto* button = new QPushButton("Go", root.get());
            button->setObjectName("btnGo");
            column->addWidget(field);
            column->addWidget(button);
            return root;
        });
        window = QtWindow::createMain(layouts, [] { return false; });
        window->show();
    }

    Window& main() { return *window; }
    void click(ViewController& screen) {
        auto* root = dynamic_cast<QtViewBase<View>*>(screen.view().get())->widget();
        QTest::mouseClick(root->findChild<QPushButton*>("btnGo"), Qt::LeftButton);
    }
    void finishTurn() { test_support::finishTurn(); }
    void hideMain() { window->widget()->hide(); }
    void showMain() { window->show(); }
    void pressEscape(Window& shown) {
        QTest::keyClick(static_cast<QtWindow&>(shown).widget(), Qt::Key_Escape);
    }
    void pressClose(Window& shown) { static_cast<QtWindow&>(shown).widget()->close(); }
    std::size_t modalCount() { return window->presentedWindows().size(); }
    bool isShown(Window& shown) { return static_cast<QtWindow&>(shown).isVisible(); }
};

template <typename Harness>
class WindowContract : public ::testing::Test {
  protected:
    std::shared_ptr<LoggingScreen> screen(const std::string& name) {
        return std::make_shared<LoggingScreen>(name, log);
    }

    Log log;
    Harness harness;
};

using Harnesses = ::testing::Types<FakeHarness, QtHarness>;
class HarnessNames {
  public:
    template <typename T>
    static std::string GetName(int) {
        return std::is_same_v<T, FakeHarness> ? "Fake" : "Qt";
    }
};
TYPED_TEST_SUITE(WindowContract, Harnesses, HarnessNames);

TYPED_TEST(WindowContract, SwappingContentLoadsBindsAndShowsInOrder) {
    auto first = this->screen("login");
    auto second = this->screen("main");
    Window& window = this->harness.main();

    window.setContentViewController(first);
    window.setContentViewController(second);

    EXPECT_EQ(this->log, (Log{"login bind", "login viewDidLoad", "login viewDidAppear", "main bind",
                              "main viewDidLoad", "main viewDidAppear"}));
    EXPECT_EQ(window.contentViewController(), second);
    EXPECT_EQ(second->window().get(), &window);
    EXPECT_EQ(first->window(), nullptr) << "a replaced screen is in no window";

    window.setContentViewController(first);  // back again: loaded once only
    EXPECT_EQ(this->log.back(), "login viewDidAppear");
    EXPECT_EQ(std::count(this->log.begin(), this->log.end(), "login viewDidLoad"), 1);
}

TYPED_TEST(WindowContract, AReplacedScreenKeepsUsableViewsAndIsLetGoAfterTheTurn) {
    auto first = this->screen("login");
    this->harness.main().setContentViewController(first);
    this->harness.main().setContentViewController(this->screen("main"));

    auto field = first->field.lock();
    ASSERT_NE(field, nullptr) << "its views live as long as it does";
    field->setStringValue("late tick");
    EXPECT_EQ(field->stringValue(), "late tick");
    EXPECT_EQ(first->view()->superview(), nullptr) << "out of the window's view tree";

    std::weak_ptr<LoggingScreen> watch = first;
    first.reset();
    field.reset();
    EXPECT_FALSE(watch.expired()) << "the window still holds it until the event is done";
    this->harness.finishTurn();
    EXPECT_TRUE(watch.expired());
}

TYPED_TEST(WindowContract, AScreenMayReplaceItselfFromItsOwnButton) {
    auto first = this->screen("settings");
    std::weak_ptr<LoggingScreen> watch = first;
    first->onGo = [this] { this->harness.main().setContentViewController(this->screen("main")); };
    this->harness.main().setContentViewController(first);
    first.reset();

    this->harness.click(*watch.lock());
    this->harness.finishTurn();

    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(this->log.back(), "main viewDidAppear");
}

TYPED_TEST(WindowContract, AHiddenWindowShowsItsScreenWhenItComesBack) {
    this->harness.hideMain();
    this->harness.main().setContentViewController(this->screen("login"));
    EXPECT_EQ(this->log, (Log{"login bind", "login viewDidLoad"}));
    this->harness.showMain();
    EXPECT_EQ(this->log.back(), "login viewDidAppear");
}

TYPED_TEST(WindowContract, AModalWindowOpensWithoutWaitingAndClosesByEscCloseOrDismiss) {
    auto main = this->screen("main");
    this->harness.main().setContentViewController(main);
    this->log.clear();

    for (const std::string how : {"escape", "close button", "dismiss"}) {
        SCOPED_TRACE(how);
        auto dialog = this->screen("dialog");
        main->presentViewControllerAsModalWindow(dialog);  // returns at once
        ASSERT_EQ(this->harness.modalCount(), 1U);
        auto modal = dialog->window();
        ASSERT_NE(modal, nullptr);
        EXPECT_NE(modal.get(), &this->harness.main());
        EXPECT_TRUE(this->harness.isShown(*modal));
        EXPECT_EQ(this->log, (Log{"dialog bind", "dialog viewDidLoad", "dialog viewDidAppear"}));
        this->log.clear();

        if (how == "escape") {
            this->harness.pressEscape(*modal);
        } else if (how == "close button") {
            this->harness.pressClose(*modal);
        } else {
            dialog->dismissViewController(*dialog);
        }
        if (how != "dismiss") {
            EXPECT_EQ(this->log, Log{"dialog cancelOperation"});
        }
        EXPECT_EQ(dialog->window(), nullptr);
        EXPECT_EQ(this->harness.modalCount(), 0U);
        EXPECT_FALSE(this->harness.isShown(*modal));
        EXPECT_EQ(this->harness.main().contentViewController(), main);
        this->log.clear();
    }
}

TYPED_TEST(WindowContract, EscInTheMainWindowDismissesNothing) {
    auto main = this->screen("main");
    this->harness.main().setContentViewController(main);
    this->harness.pressEscape(this->harness.main());
    this->harness.main().dismiss();
    EXPECT_EQ(this->harness.main().contentViewController(), main);
    EXPECT_TRUE(this->harness.isShown(this->harness.main()));
}

TYPED_TEST(WindowContract, TheCloseButtonTellsTheDelegateOnce) {
    auto main = this->screen("main");
    this->harness.main().setContentViewController(main);
    this->harness.main().setDelegate(main);
    this->log.clear();

    this->harness.pressClose(this->harness.main());
    EXPECT_EQ(this->log, Log{"main windowWillClose"});
    EXPECT_FALSE(this->harness.isShown(this->harness.main()));
}

}  // namespace
}  // namespace twl
