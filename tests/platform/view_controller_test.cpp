#include "platform/view_controller.h"

#include <gtest/gtest.h>

#include "app/storyboard.h"
#include "fakes/fake_box.h"
#include "fakes/fake_busy_indicator.h"
#include "fakes/fake_button.h"
#include "fakes/fake_root_view.h"
#include "fakes/fake_text_field.h"
#include "fakes/fake_view_loader.h"
#include "fakes/fake_window.h"
#include "fakes/stub_screen.h"
#include "platform/outlet_binder.h"

namespace twl {
namespace {

TEST(Storyboard, MakesAFreshScreenThatKnowsItsIdentifier) {
    Storyboard storyboard;
    storyboard.registerController("MainController",
                                  [] { return std::make_shared<fakes::StubScreen>(); });
    auto first = storyboard.instantiateControllerWithIdentifier("MainController");
    auto second = storyboard.instantiateControllerWithIdentifier("MainController");
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->storyboardIdentifier(), "MainController");
    EXPECT_FALSE(first->isViewLoaded()) << "views load when a window first shows the screen";
    EXPECT_EQ(storyboard.instantiateControllerWithIdentifier("DialogController"), nullptr);
}

// The outlets a login screen declares, to try the storyboard loader with.
class LoginLikeScreen : public ViewController {
  public:
    LoginLikeScreen() { setStoryboardIdentifier("LoginController"); }
    void bindOutlets(OutletBinder& binder) override {
        binder.outlet("edtUserName", edtUserName);
        binder.outlet("loadBoxView", loadBoxView);
        binder.outlet("loadingDialog", loadingDialog);
        binder.outlet("btnLogin", btnLogin);
        binder.action("btnLogin", [this] { ++logins; });
        binder.action("edtUserName", [this] { ++logins; });
        extra(binder);
    }
    virtual void extra(OutletBinder&) {}

    std::weak_ptr<TextField> edtUserName;
    std::weak_ptr<Box> loadBoxView;
    std::weak_ptr<BusyIndicator> loadingDialog;
    std::weak_ptr<Button> btnLogin;
    int logins = 0;
};

TEST(FakeStoryboardLoader, GivesViewsTheStateTheirLayoutDoes) {
    auto loader = fakes::FakeViewLoader::forStoryboard();
    auto screen = std::make_shared<LoginLikeScreen>();
    screen->loadViewIfNeeded(loader);

    auto& views = fakes::FakeRootView::of(*screen);
    EXPECT_TRUE(views.outlet<fakes::FakeBox>("loadBoxView")->isHidden());
    EXPECT_TRUE(views.outlet<fakes::FakeBusyIndicator>("loadingDialog")->isHidden());
    EXPECT_EQ(screen->btnLogin.lock()->title(), "Sign In");
    EXPECT_NE(screen->edtUserName.lock()->layer(), nullptr) << "the layout gives it a layer";
    EXPECT_EQ(screen->loadBoxView.lock()->layer(), nullptr);

    views.performAction("btnLogin");
    views.performAction("edtUserName");
    EXPECT_EQ(screen->logins, 2);
    EXPECT_THROW(views.performAction("chkRemember"), std::out_of_range) << "not bound";
    EXPECT_NO_THROW(views.mouseEntered("btnLogin"));
    EXPECT_THROW(views.mouseEntered("edtUserName"), std::out_of_range) << "no tracking area";
}

TEST(FakeStoryboardLoader, RefusesWhatTheRealLayoutWouldRefuse) {
    struct Misfit : LoginLikeScreen {
        void extra(OutletBinder& binder) override {
            binder.outlet("edtUsername", wrong);  // misspelt
            binder.outlet("lblErrorMessage", notAButton);
            binder.action("viewIncorectInfo", [] {});
        }
        std::weak_ptr<TextField> wrong;
        std::weak_ptr<Button> notAButton;
    };
    auto loader = fakes::FakeViewLoader::forStoryboard();
    auto screen = std::make_shared<Misfit>();
    try {
        screen->loadViewIfNeeded(loader);
        FAIL();
    } catch (const std::logic_error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("edtUsername"), std::string::npos);
        EXPECT_NE(message.find("lblErrorMessage"), std::string::npos);
        EXPECT_NE(message.find("viewIncorectInfo"), std::string::npos);
    }
    EXPECT_FALSE(screen->isViewLoaded());
}

TEST(ViewController, LoadsOnceAndOnlyThroughAWindow) {
    fakes::FakeViewLoader loader;
    auto screen = std::make_shared<fakes::StubScreen>();
    screen->loadViewIfNeeded(loader);
    screen->loadViewIfNeeded(loader);
    EXPECT_EQ(loader.loads(), 1);
    EXPECT_EQ(screen->events, std::vector<std::string>{"viewDidLoad"});

    // Outside a window there is nothing to present over, and nothing to close.
    auto dialog = std::make_shared<fakes::StubScreen>();
    screen->presentViewControllerAsModalWindow(dialog);
    screen->dismissViewController(*screen);
    EXPECT_FALSE(dialog->isViewLoaded());
}

TEST(ViewController, TheDefaultCancelDismissesOnlyAPresentedScreen) {
    fakes::FakeViewLoader loader;
    auto window = fakes::FakeWindow::makeMain(loader);
    auto main = std::make_shared<fakes::StubScreen>();
    window->setContentViewController(main);
    auto dialog = std::make_shared<fakes::StubScreen>();
    main->presentViewControllerAsModalWindow(dialog);
    ASSERT_EQ(window->presentedWindows().size(), 1U);
    EXPECT_TRUE(window->modalWindow()->isModal());

    main->cancelOperation();
    EXPECT_EQ(window->contentViewController(), main);
    EXPECT_EQ(window->presentedWindows().size(), 1U);
    dialog->cancelOperation();
    EXPECT_TRUE(window->presentedWindows().empty());
    EXPECT_EQ(dialog->window(), nullptr);
}

}  // namespace
}  // namespace twl
