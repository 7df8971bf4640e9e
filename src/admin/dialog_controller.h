#pragma once

#include <memory>
#include <string>

#include "platform/view_controller.h"

namespace twl {

class AppContext;
class Button;
class TextField;
struct ScriptResult;

// The modal window that asks for the user's own user name and password (an
// account allowed to administer the computer) and proves them by installing
// the tool file into /usr/local with them. Its only
// results are the two flags and the two stored keys: the main screen's register
// tick learns from `isUserRegistered` that it may go on connecting.
class DialogController final : public ViewController {
  public:
    explicit DialogController(AppContext& context);

    void bindOutlets(OutletBinder& binder) override;
    void viewDidLoad() override;
    void viewDidAppear() override;
    // The title bar's close button and Esc are the same as Cancel.
    void cancelOperation() override;

    // The OK button. Both names do the same; the layout's button sends clickOK.
    void clickOKButton();
    void clickOK();
    void clickCancel();

  private:
    std::shared_ptr<DialogController> self();
    void styleField(TextField& field);
    void copyFinished(const ScriptResult& copy, const std::string& userName,
                      const std::string& password);
    void setCopying(bool copying);
    void close();
    void showNotice();
    void storeAdministrator(const std::string& userName, const std::string& password);

    AppContext& context_;
    std::weak_ptr<TextField> edtUserName;
    std::weak_ptr<TextField> edtUserPassword;
    std::weak_ptr<TextField> txtIncorrectPassword;
    std::weak_ptr<Button> btnCancel;
    std::weak_ptr<Button> btnOK;
    // OK and Cancel wait while the copy runs.
    bool copying_ = false;
    bool closed_ = false;
};

}  // namespace twl
