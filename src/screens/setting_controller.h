#pragma once

#include <string>

#include "screens/view_controller.h"
#include "ui_setting_controller.h"

namespace twl {

class AppContext;

// The screen that shows and changes the VPN server address. A save takes
// effect at once for the whole process (`serverUrl`) and is kept under
// "server_url", which becomes `serverUrl` whenever this screen loads.
class SettingController final : public ViewController {
  public:
    explicit SettingController(AppContext& ctx);

    void viewDidLoad() override;

    void trySave();
    void goBack();

  protected:
    void loadView(QWidget& root) override;

  private:
    void showNotice(const std::string& informativeText);

    AppContext& ctx_;
    Ui::SettingControllerLayout ui{};
};

}  // namespace twl
