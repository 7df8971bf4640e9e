#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

namespace twl {

class QtStatusBarButton;
class StatusBarButton;

// The client's item in the desktop's tray: the icon whose image the
// connection sets, and the one-entry menu "Close Application" (Ctrl+Q),
// which opens on a click of either button.
class TrayItem {
  public:
    explicit TrayItem(std::function<void()> quit);
    ~TrayItem();
    TrayItem(const TrayItem&) = delete;
    TrayItem& operator=(const TrayItem&) = delete;

    std::shared_ptr<StatusBarButton> button() const;
    QMenu& menu() { return menu_; }

  private:
    QSystemTrayIcon icon_;
    QMenu menu_;
    std::shared_ptr<QtStatusBarButton> button_;
};

}  // namespace twl
