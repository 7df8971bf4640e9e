#pragma once

#include <memory>
#include <string>

#include "platform/view_controller.h"

namespace twl {

class AppContext;
class Button;
class TextField;

// The screen that shows and changes the VPN server address. A save takes
// effect at once for the whole process (`serverUrl`) and is kept under
// "server_url", which becomes `serverUrl` whenever this screen loads.
class SettingController final : public ViewController {
  public:
    explicit SettingController(AppContext& context);

    void bindOutlets(OutletBinder& binder) override;
    void viewDidLoad() override;

    void trySave();
    void goBack();

  private:
    void showNotice(const std::string& informativeText);

    AppContext& context_;
    std::weak_ptr<Button> btnBack;
    std::weak_ptr<Button> btnSave;
    std::weak_ptr<TextField> edtServerUrl;
};

}  // namespace twl
