#pragma once

#include <QPointer>
#include <QSystemTrayIcon>

#include "platform/status_bar_button.h"

namespace twl {

// The tray icon's image, by name (":/images/<name>.png"). The icon goes on
// screen with its first image; a name without an image leaves the item in
// place but blank, so its menu stays reachable.
class QtStatusBarButton final : public StatusBarButton {
  public:
    explicit QtStatusBarButton(QSystemTrayIcon* trayIcon) : trayIcon_(trayIcon) {}

    void setImage(const std::string& imageName) override;
    std::string imageName() const override { return imageName_; }

  private:
    QPointer<QSystemTrayIcon> trayIcon_;
    std::string imageName_;
};

}  // namespace twl
