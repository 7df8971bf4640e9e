#include "platform/qt/qt_layouts.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QLineEdit>

#include "platform/qt/interface_components.h"
#include "platform/qt/qt_outlet_binder.h"
#include "qt_test_support.h"

namespace twl {
namespace {

using test_support::rootOf;

class QtLayoutsTest : public ::testing::Test {
  protected:
    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
};

TEST_F(QtLayoutsTest, HoveringTheLoginButtonReachesTheScreenWithItsUserInfo) {
    struct HoverScreen final : fakes::StubScreen {
        void mouseEntered(const MouseEvent& event) override {
            StubScreen::mouseEntered(event);
            userInfo = event.trackingArea ? event.trackingArea->userInfo : nlohmann::json();
        }
        nlohmann::json userInfo;
    };
    auto screen = std::make_shared<HoverScreen>();
    screen->setStoryboardIdentifier("LoginController");
    screen->loadViewIfNeeded(*layouts);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(rootOf(*screen).findChild<QWidget*>("btnLogin"), &enter);
    QCoreApplication::sendEvent(rootOf(*screen).findChild<QWidget*>("chkRemember"), &enter);
    EXPECT_EQ(screen->events, (std::vector<std::string>{"viewDidLoad", "mouseEntered"}))
        << "only the login button has a tracking area";
    EXPECT_EQ(screen->userInfo, (nlohmann::json{{"button", "btnLogin"}}));
}

// Fields and pictures have no text of their own for assistive technology to
// read out; the placeholder is only a description.
TEST_F(QtLayoutsTest, EveryFieldButtonAndPictureHasAName) {
    registerInterfaceArtwork();
    for (const char* identifier :
         {"LoginController", "MainController", "SettingController", "DialogController"}) {
        auto screen = test_support::screen(identifier);
        screen->loadViewIfNeeded(*layouts);
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
TEST_F(QtLayoutsTest, RememberMeIsHeardAsCheckedOrNot) {
    auto screen = test_support::screen("LoginController");
    screen->loadViewIfNeeded(*layouts);
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

}  // namespace
}  // namespace twl
