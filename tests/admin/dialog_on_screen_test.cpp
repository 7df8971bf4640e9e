// The dialog on real widgets, offscreen: the window it gets, the keys and the
// close button of the desktop, and typing into its fields.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "admin/dialog_controller.h"
#include "fakes/fake_environment.h"
#include "fakes/stub_screen.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_window.h"
#include "platform/qt_test_support.h"
#include "privileged/commands.h"

namespace twl {
namespace {

class DialogOnScreenTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test_support::qtApplication(); }

    void SetUp() override {
        env.context->accountUserName = "subscriber";
        env.context->accountPassword = "sub-pass";
        env.context->toolResourcePath = "/opt/tidewaterlink/macosvpn.txt";
        env.context->isConnecting = true;
        env.context->registerTimer = env.loop.scheduleRepeating(0.1, [] {});
        env.storyboard.registerController("MainController",
                                          [] { return std::make_shared<fakes::StubScreen>(); });
        window->setContentViewController(
            env.storyboard.instantiateControllerWithIdentifier("MainController"));
        window->show();
        window->contentViewController()->presentViewControllerAsModalWindow(
            env.storyboard.instantiateControllerWithIdentifier("DialogController"));
        ASSERT_EQ(window->presentedWindows().size(), 1U);
        ASSERT_TRUE(test_support::spinUntil([this] { return dialogWidget()->isVisible(); }));
    }

    void TearDown() override {
        window.reset();
        test_support::finishTurn();
    }

    QWidget* dialogWidget() const { return window->presentedWindows().front()->widget(); }
    template <typename Widget>
    Widget* child(const char* name) const {
        auto* found = dialogWidget()->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    bool dismissed() const { return window->presentedWindows().empty(); }

    void expectCancelled() const {
        EXPECT_TRUE(dismissed());
        EXPECT_FALSE(env.context->isConnecting);
        EXPECT_FALSE(env.context->registerTimer->isValid());
        EXPECT_FALSE(env.context->isAdminConfirmed);
        EXPECT_TRUE(env.settings.writtenKeys().empty());
        EXPECT_TRUE(env.system.sources.empty());
    }

    fakes::FakeEnvironment env;
    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
    std::shared_ptr<QtWindow> window = QtWindow::createMain(*layouts, [] { return true; });
};

TEST_F(DialogOnScreenTest, IsAFixedSizeWindowModalDialogWithItsNoticeHidden) {
    QWidget* dialog = dialogWidget();
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "cannot be resized";
    EXPECT_EQ(dialog->windowTitle(), "Administrator Password");
    EXPECT_TRUE(child<QLabel>("txtIncorrectPassword")->isHidden());
    EXPECT_EQ(child<QLineEdit>("edtUserPassword")->echoMode(), QLineEdit::Password);
}

TEST_F(DialogOnScreenTest, EscIsCancel) {
    QTest::keyClick(dialogWidget(), Qt::Key_Escape);
    expectCancelled();
}

TEST_F(DialogOnScreenTest, TheCloseButtonIsCancel) {
    dialogWidget()->close();
    expectCancelled();
}

TEST_F(DialogOnScreenTest, TypingTheRightPairAndPressingReturnConfirmsTheAdministrator) {
    QTest::keyClicks(child<QLineEdit>("edtUserName"), "admin");
    auto* password = child<QLineEdit>("edtUserPassword");
    QTest::keyClicks(password, "wrong");
    QTest::mouseClick(child<QPushButton>("btnOK"), Qt::LeftButton);
    EXPECT_FALSE(child<QLabel>("txtIncorrectPassword")->isHidden());
    EXPECT_FALSE(dismissed());

    password->clear();
    QTest::keyClicks(password, "admin-pass");
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_TRUE(dismissed());
    EXPECT_TRUE(env.context->isAdminConfirmed);
    EXPECT_EQ(env.settings.objectForKey("userpassword"), SettingValue{std::string("admin-pass")});
    EXPECT_TRUE(env.files.fileExistsAtPath(std::string(commands::markerFile)));
}

}  // namespace
}  // namespace twl
