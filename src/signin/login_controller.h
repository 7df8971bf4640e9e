#pragma once

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "platform/view_controller.h"
#include "platform/window_delegate.h"

namespace twl {

class AppContext;
class Box;
class BusyIndicator;
class Button;
class ImageView;
class TextField;
class View;
struct Color;

// The first screen of the main window: signs a VPN account in against the
// account web API, shows why a sign-in failed, remembers the account for
// automatic sign-in and, once accepted, puts the main screen in its place.
// While it loads it also proves the stored administrator credentials (the
// tool step). It is its window's delegate: closing the window hides the
// client instead of ending it.
class LoginController final : public ViewController, public WindowDelegate {
  public:
    explicit LoginController(AppContext& context);

    void bindOutlets(OutletBinder& binder) override;
    void viewDidLoad() override;
    void viewDidAppear() override;
    void windowWillClose() override;
    void mouseEntered(const MouseEvent& event) override;
    void mouseExited(const MouseEvent& event) override;

    // Actions: the remember-me control, the sign-in button, Return in a field.
    void tryRemember();
    void tryLogin();
    void tryLoginByTextField();

  private:
    std::shared_ptr<LoginController> self();
    void toolStepFinished();
    void setPlaceholders();
    void signInAutomatically();
    void signInWithStored(const std::string& storedUserName,
                          const std::optional<std::string>& storedPassword);
    void checkAccountAndHandleReply(const std::string& userName, const std::string& password);
    void handleAccountReply(const std::optional<nlohmann::json>& value,
                            const std::optional<std::string>& error, const std::string& userName,
                            const std::string& password);
    void showError(const std::string& message);
    void stopRotating();
    void endBusy();
    void showMainScreen();
    void colourLoginButtonOnHover(const MouseEvent& event, const Color& color);

    AppContext& ctx_;

    std::weak_ptr<ImageView> imgRemember;
    std::weak_ptr<TextField> edtUserName;
    std::weak_ptr<TextField> edtUserPassword;
    std::weak_ptr<View> viewIncorectInfo;
    std::weak_ptr<BusyIndicator> loadingDialog;
    std::weak_ptr<View> mainView;
    std::weak_ptr<Button> btnLogin;
    std::weak_ptr<Box> loadBoxView;
    std::weak_ptr<TextField> lblErrorMessage;
    std::weak_ptr<Button> chkRemember;
    bool isRemeber = false;
    bool toolStepRunning_ = false;
    bool signInSent_ = false;
    std::function<void()> signInAfterToolStep_;
};

}  // namespace twl
