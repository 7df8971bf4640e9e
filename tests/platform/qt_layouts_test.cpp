#include "platform/qt/qt_layouts.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <set>

#include "fakes/fake_environment.h"
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

// The real screens name their outlets and actions; a name missing from a
// layout, or a view of the wrong kind, would throw here. Clicking through
// them is walked in tests/settings/qt_whole_road_test.cpp.
TEST_F(QtLayoutsTest, EveryRealScreenBindsToItsLayout) {
    fakes::FakeEnvironment env;
    for (const auto& [identifier, views] : fakes::storyboardLayouts()) {
        SCOPED_TRACE(identifier);
        auto screen = env.storyboard.instantiateControllerWithIdentifier(identifier);
        ASSERT_NE(screen, nullptr);
        EXPECT_NO_THROW(screen->loadViewIfNeeded(*layouts));
    }
}

// Controller tests run on the fake loader; it must describe these layouts.
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
            hovers.push_back(event);
        }
        void mouseExited(const MouseEvent& event) override {
            StubScreen::mouseExited(event);
            hovers.push_back(event);
        }
        std::vector<MouseEvent> hovers;
    };
    auto screen = std::make_shared<HoverScreen>();
    screen->setStoryboardIdentifier("LoginController");
    screen->loadViewIfNeeded(*layouts);
    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(rootOf(*screen).findChild<QWidget*>("btnLogin"), &enter);
    QCoreApplication::sendEvent(rootOf(*screen).findChild<QWidget*>("btnLogin"), &leave);
    QCoreApplication::sendEvent(rootOf(*screen).findChild<QWidget*>("chkRemember"), &enter);

    EXPECT_EQ(screen->events,
              (std::vector<std::string>{"viewDidLoad", "mouseEntered", "mouseExited"}))
        << "only the login button has a tracking area";
    for (const auto& event : screen->hovers) {
        ASSERT_TRUE(event.trackingArea.has_value());
        EXPECT_EQ(event.trackingArea->userInfo, (nlohmann::json{{"button", "btnLogin"}}));
    }
}

}  // namespace
}  // namespace twl
