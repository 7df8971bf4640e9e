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
#include "platform/qt/qt_window.h"
#include "platform/text_field.h"
#include "platform/view_controller.h"
#include "qt_test_support.h"

namespace twl {
namespace {

using Log = std::vector<std::string>;

// A screen that writes its life into a shared log.
class LoggingScreen : public ViewController {
  public:
    LoggingScreen(std::string name, Log& log) : name_(std::move(name)), log_(log) {
        setStoryboardIdentifier("TestScreen");
    }
    void bindOutlets(OutletBinder& binder) override {
        log_.push_back(name_ + " bind");
        binder.outlet("edtText", field);
        binder.action("btnGo", [this] { onGo(); });
    }
    void viewDidLoad() override { log_.push_back(name_ + " viewDidLoad"); }
    void viewDidAppear() override { log_.push_back(name_ + " viewDidAppear"); }
    void cancelOperation() override {
        log_.push_back(name_ + " cancelOperation");
        ViewController::cancelOperation();
    }

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
    void pressEscape(Window& shown) { static_cast<fakes::FakeWindow&>(shown).pressEscape(); }
    void pressClose(Window& shown) { static_cast<fakes::FakeWindow&>(shown).performClose(); }
    std::size_t modalCount() { return window->presentedWindows().size(); }
    bool isShown(Window& shown) { return static_cast<fakes::FakeWindow&>(shown).isVisible(); }
};

struct QtHarness {
    QtLayouts layouts;
    std::shared_ptr<QtWindow> window;

    QtHarness() {
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
        QTest::mouseClick(test_support::rootOf(screen).findChild<QPushButton*>("btnGo"),
                          Qt::LeftButton);
    }
    void finishTurn() { test_support::finishTurn(); }
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

TYPED_TEST(WindowContract, SwappingContentRunsTheLifeCycleAndKeepsTheOldScreenUsable) {
    auto first = this->screen("login");
    Window& window = this->harness.main();
    window.setContentViewController(first);
    window.setContentViewController(this->screen("main"));
    EXPECT_EQ(this->log, (Log{"login bind", "login viewDidLoad", "login viewDidAppear", "main bind",
                              "main viewDidLoad", "main viewDidAppear"}));
    EXPECT_EQ(first->window(), nullptr) << "a replaced screen is in no window";

    // A timer may still hold the replaced screen and write to its views.
    auto field = first->field.lock();
    ASSERT_NE(field, nullptr);
    field->setStringValue("late tick");
    EXPECT_EQ(field->stringValue(), "late tick");

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

TYPED_TEST(WindowContract, AModalWindowClosesByEscCloseOrDismissButTheMainOneDoesNot) {
    auto main = this->screen("main");
    this->harness.main().setContentViewController(main);
    this->harness.pressEscape(this->harness.main());
    EXPECT_TRUE(this->harness.isShown(this->harness.main()));
    this->log.clear();

    for (const std::string how : {"escape", "close button", "dismiss"}) {
        SCOPED_TRACE(how);
        auto dialog = this->screen("dialog");
        main->presentViewControllerAsModalWindow(dialog);  // returns at once
        ASSERT_EQ(this->harness.modalCount(), 1U);
        auto modal = dialog->window();
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
        EXPECT_EQ(this->log, how == "dismiss" ? Log{} : Log{"dialog cancelOperation"});
        EXPECT_EQ(this->harness.modalCount(), 0U);
        EXPECT_FALSE(this->harness.isShown(*modal));
        EXPECT_EQ(this->harness.main().contentViewController(), main);
        this->log.clear();
    }
}

}  // namespace
}  // namespace twl
