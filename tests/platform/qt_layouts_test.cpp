#include "platform/qt/qt_layouts.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <set>

#include "fakes/storyboard_layouts.h"
#include "platform/qt/busy_spinner.h"
#include "platform/qt/qt_conversions.h"
#include "platform/qt/view_properties.h"
#include "qt_test_support.h"

namespace twl {
namespace {

using test_support::rootOf;

fakes::WidgetKind kindOf(QWidget& widget, std::string& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(&widget)) {
        text = fromQString(edit->text());
        return fakes::WidgetKind::lineEdit;
    }
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        text = fromQString(label->text());
        return fakes::WidgetKind::label;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
        text = fromQString(button->text());
        return fakes::WidgetKind::button;
    }
    return qobject_cast<BusySpinner*>(&widget) ? fakes::WidgetKind::spinner
                                               : fakes::WidgetKind::container;
}

class QtLayoutsTest : public ::testing::Test {
  protected:
    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
};

// Controller tests run on the fake loader; it must describe these layouts.
// Binding the real screens to them is walked by tests/e2e.
TEST_F(QtLayoutsTest, TheLayoutsAreWhatTheFakeStoryboardSays) {
    for (const auto& [identifier, described] : fakes::storyboardLayouts()) {
        SCOPED_TRACE(identifier);
        auto screen = test_support::screen(identifier);
        screen->loadViewIfNeeded(*layouts);
        QWidget& root = rootOf(*screen);
        QList<QWidget*> widgets = root.findChildren<QWidget*>();
        widgets.prepend(&root);
        std::set<std::string> named;
        for (QWidget* widget : widgets) {
            const std::string name = fromQString(widget->objectName());
            if (name.empty() || name.starts_with("qt_")) {
                continue;
            }
            named.insert(name);
            const auto found = described.find(name);
            ASSERT_NE(found, described.end()) << name << " is in the layout but not described";
            const fakes::LayoutView& view = found->second;
            std::string text;
            EXPECT_EQ(kindOf(*widget, text), view.kind) << name;
            EXPECT_EQ(text, view.text) << name;
            if (widget != &root) {  // a root is shown by its window
                EXPECT_EQ(widget->isHidden(), view.startsHidden) << name;
            }
            EXPECT_EQ(widget->property(view_property::wantsLayer).toBool(), view.hasLayer) << name;
            const QVariant tracking = widget->property(view_property::trackingUserInfo);
            EXPECT_EQ(tracking.isValid(), view.trackingUserInfo.has_value()) << name;
            if (tracking.isValid() && view.trackingUserInfo) {
                EXPECT_EQ(nlohmann::json::parse(fromQString(tracking.toString())),
                          *view.trackingUserInfo);
            }
        }
        EXPECT_EQ(named.size(), described.size()) << "described views missing from the layout";
    }
}

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

}  // namespace
}  // namespace twl
