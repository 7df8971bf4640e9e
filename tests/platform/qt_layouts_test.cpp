#include "platform/qt/qt_layouts.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <set>

#include "declaring_screen.h"
#include "fakes/storyboard_layouts.h"
#include "platform/qt/busy_spinner.h"
#include "platform/qt/qt_conversions.h"
#include "platform/qt/qt_view_base.h"
#include "platform/qt/view_properties.h"
#include "qt_test_support.h"

namespace twl {
namespace {

using test_support::DeclaredOutlet;
using test_support::DeclaringScreen;
using test_support::Facade;

// The names each screen's controller will declare against its layout.
struct ScreenNames {
    std::string identifier;
    std::vector<DeclaredOutlet> outlets;
    std::vector<std::string> actions;
};

const std::vector<ScreenNames>& screens() {
    static const std::vector<ScreenNames> all{
        {"LoginController",
         {{"imgRemember", Facade::imageView},
          {"edtUserName", Facade::textField},
          {"edtUserPassword", Facade::textField},
          {"viewIncorectInfo", Facade::view},
          {"loadingDialog", Facade::busyIndicator},
          {"mainView", Facade::view},
          {"btnLogin", Facade::button},
          {"loadBoxView", Facade::box},
          {"lblErrorMessage", Facade::textField},
          {"chkRemember", Facade::button}},
         {"btnLogin", "chkRemember", "edtUserName", "edtUserPassword"}},
        {"MainController",
         {{"btnConnect", Facade::button},
          {"btnSignOut", Facade::button},
          {"lblConnectStatus", Facade::textField},
          {"lblIPAddress", Facade::textField}},
         {"btnConnect", "btnSignOut", "btnSetting", "btnDisconnect"}},
        {"SettingController",
         {{"btnBack", Facade::button},
          {"btnSave", Facade::button},
          {"edtServerUrl", Facade::textField}},
         {"btnBack", "btnSave"}},
        {"DialogController",
         {{"edtUserName", Facade::textField},
          {"edtUserPassword", Facade::textField},
          {"txtIncorrectPassword", Facade::textField},
          {"btnCancel", Facade::button}},
         {"btnOK", "btnCancel"}},
    };
    return all;
}

class QtLayoutsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test_support::qtApplication(); }

    std::shared_ptr<DeclaringScreen> load(const ScreenNames& names) {
        auto screen =
            std::make_shared<DeclaringScreen>(names.identifier, names.outlets, names.actions);
        screen->loadViewIfNeeded(*layouts);
        return screen;
    }

    static QWidget& rootOf(const ViewController& screen) {
        return *dynamic_cast<QtViewBase<View>*>(screen.view().get())->widget();
    }

    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
};

TEST_F(QtLayoutsTest, EveryScreenBindsAllItsOutletsAndActions) {
    for (const auto& names : screens()) {
        SCOPED_TRACE(names.identifier);
        auto screen = load(names);
        for (const auto& [name, facade] : names.outlets) {
            EXPECT_TRUE(screen->isBound(name)) << name;
        }
        QWidget& root = rootOf(*screen);
        for (const auto& control : names.actions) {
            QWidget* widget = root.findChild<QWidget*>(toQString(control));
            ASSERT_NE(widget, nullptr) << control;
            widget->setEnabled(true);
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                button->click();
            } else {
                QTest::keyClick(widget, Qt::Key_Return);
            }
        }
        EXPECT_EQ(screen->sent, names.actions) << "each control sends its own action once";
    }
}

// The fake loader that controller tests use describes the same layouts.
TEST_F(QtLayoutsTest, TheLayoutsAreWhatTheFakeStoryboardSays) {
    for (const auto& [identifier, described] : fakes::storyboardLayouts()) {
        SCOPED_TRACE(identifier);
        auto screen = load(ScreenNames{identifier, {}, {}});
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
            if (found == described.end()) {
                ADD_FAILURE() << name << " is in the layout but not described";
                continue;
            }
            const fakes::LayoutView& view = found->second;
            fakes::WidgetKind kind = fakes::WidgetKind::container;
            std::string text;
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                kind = fakes::WidgetKind::lineEdit;
                text = fromQString(edit->text());
            } else if (auto* label = qobject_cast<QLabel*>(widget)) {
                kind = fakes::WidgetKind::label;
                text = fromQString(label->text());
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                kind = fakes::WidgetKind::button;
                text = fromQString(button->text());
            } else if (qobject_cast<BusySpinner*>(widget) != nullptr) {
                kind = fakes::WidgetKind::spinner;
            }
            EXPECT_EQ(kind, view.kind) << name;
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
        for (const auto& [name, view] : described) {
            EXPECT_TRUE(named.contains(name)) << name << " is described but not in the layout";
        }
    }
}

TEST_F(QtLayoutsTest, AScreenThatDoesNotFitItsLayoutIsToldEveryMisfitAtOnce) {
    const ScreenNames wrong{"LoginController",
                            {{"edtUserNmae", Facade::textField},
                             {"btnLogin", Facade::textField},
                             {"loadBoxView", Facade::busyIndicator},
                             {"lblErrorMessage", Facade::textField}},
                            {"lblErrorMessage", "btnMissing"}};
    try {
        load(wrong);
        FAIL() << "a misfit must not load";
    } catch (const std::logic_error& error) {
        const std::string message = error.what();
        for (const char* name : {"edtUserNmae", "btnLogin", "loadBoxView", "btnMissing"}) {
            EXPECT_NE(message.find(name), std::string::npos) << name << " in: " << message;
        }
        EXPECT_NE(message.find("lblErrorMessage' cannot send actions"), std::string::npos);
    }
    EXPECT_THROW(load(ScreenNames{"NoSuchController", {}, {}}), std::logic_error);
}

TEST_F(QtLayoutsTest, HoveringTheLoginButtonReachesTheScreenWithItsUserInfo) {
    auto screen = load(screens().front());
    auto* button = rootOf(*screen).findChild<QWidget*>("btnLogin");
    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &enter);
    QCoreApplication::sendEvent(button, &leave);

    ASSERT_EQ(screen->hovers.size(), 2U);
    EXPECT_TRUE(screen->hovers[0].first);
    EXPECT_FALSE(screen->hovers[1].first);
    for (const auto& [entered, event] : screen->hovers) {
        ASSERT_TRUE(event.trackingArea.has_value());
        EXPECT_EQ(event.trackingArea->userInfo, (nlohmann::json{{"button", "btnLogin"}}));
    }

    // Other views have no tracking area.
    QCoreApplication::sendEvent(rootOf(*screen).findChild<QWidget*>("chkRemember"), &enter);
    EXPECT_EQ(screen->hovers.size(), 2U);
}

TEST_F(QtLayoutsTest, AScreensWidgetsGoWithIt) {
    auto screen = load(screens().front());
    QPointer<QWidget> button = rootOf(*screen).findChild<QWidget*>("btnLogin");
    screen.reset();
    EXPECT_TRUE(button.isNull()) << "the screen's widgets go with it";
}

}  // namespace
}  // namespace twl
