#pragma once

#include <memory>
#include <string>

#include "app/step_guard.h"
#include "screens/view_controller.h"
#include "ui_dialog_controller.h"

namespace twl {

class AppContext;
struct ScriptResult;

// The modal window that asks for the user's own user name and password (an
// account allowed to administer the computer) and proves them by installing
// the tool file into /usr/local with them. Its only results are the two flags
// and the two stored keys: the session's register wait learns from
// `isUserRegistered` that it may go on connecting.
class DialogController final : public ViewController {
  public:
    explicit DialogController(AppContext& ctx);

    void viewDidLoad() override;
    void viewDidAppear() override;
    // The title bar's close button and Esc are the same as Cancel.
    void cancelOperation() override;

    // The OK button. Both names do the same; the form's button sends clickOK.
    void clickOKButton();
    void clickOK();
    void clickCancel();

  protected:
    void loadView(QWidget& root) override;

  private:
    std::shared_ptr<DialogController> self();
    void copyFinished(const ScriptResult& copy, const std::string& userName,
                      const std::string& password);
    void setCopying(bool copying);
    void close();
    void showNotice();
    void storeAdministrator(const std::string& userName, const std::string& password);

    AppContext& ctx_;
    Ui::DialogControllerLayout ui{};
    // OK and Cancel wait while the copy runs.
    bool copying_ = false;
    // A dialog that has closed takes nothing from a late answer.
    StepGuard answers_;
};

}  // namespace twl
