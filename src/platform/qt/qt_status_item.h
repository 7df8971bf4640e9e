#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "platform/menu_item.h"
#include "platform/status_item.h"

namespace twl {

class QtStatusBarButton;

// A status item as a tray icon. Its menu opens on a click (either button), as
// a status item's does; each entry's key equivalent becomes a Ctrl shortcut.
class QtStatusItem final : public StatusItem {
  public:
    using Perform = std::function<void(MenuAction)>;

    explicit QtStatusItem(Perform perform);
    ~QtStatusItem() override;
    QtStatusItem(const QtStatusItem&) = delete;
    QtStatusItem& operator=(const QtStatusItem&) = delete;

    std::shared_ptr<StatusBarButton> button() override;
    // Builds the shown menu from the menu's entries as they are now.
    void setMenu(std::shared_ptr<Menu> menu) override;
    std::shared_ptr<Menu> menu() const override { return menu_; }

    // The shown menu, or nothing before setMenu.
    QMenu* shownMenu() { return shownMenu_.get(); }

  private:
    Perform perform_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    std::unique_ptr<QMenu> shownMenu_;
    std::shared_ptr<QtStatusBarButton> button_;
    std::shared_ptr<Menu> menu_;
};

}  // namespace twl
