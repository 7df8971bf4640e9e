#pragma once

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "screens/view_controller.h"
#include "screens/window_delegate.h"
#include "ui_login_controller.h"

namespace twl {

class AppContext;

// The first screen of the main window: signs a VPN account in against the
// account web API, shows why a sign-in failed, remembers the account for
// automatic sign-in and, once accepted, puts the main screen in its place.
// While it loads it also proves the stored administrator credentials (the
// tool step). It is its window's delegate: closing the window hides the
// client instead of ending it.
class LoginController final : public ViewController, public WindowDelegate {
  public:
    explicit LoginController(AppContext& ctx);

    void viewDidLoad() override;
    void viewDidAppear() override;
    void windowWillClose() override;

    // Actions: the remember-me control, the sign-in button, Return in a field.
    void tryRemember();
    void tryLogin();
    void tryLoginByTextField();

  protected:
    void loadView(QWidget& root) override;

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
    void colourLoginButton(bool underPointer);

    AppContext& ctx_;
    Ui::LoginControllerLayout ui{};
    bool isRemeber = false;
    bool toolStepRunning_ = false;
    bool signInSent_ = false;
    std::function<void()> signInAfterToolStep_;
};

}  // namespace twl
