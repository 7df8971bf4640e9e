#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/workspace.h"

namespace twl {

// Hiding the client: every window leaves the screen and the process runs on
// with its tray item. Without a tray to come back from, windows are minimised
// instead so the client stays reachable. A relaunch brings them back.
class QtWorkspace final : public Workspace {
  public:
    // trayAvailable: whether the desktop shows tray items right now.
    explicit QtWorkspace(std::function<bool()> trayAvailable);

    bool hideApplication(std::string_view applicationName) override;
    std::string loginName() const override;

    // Puts back what hideApplication took off the screen, parents first.
    void unhideApplication();

  private:
    std::function<bool()> trayAvailable_;
    std::vector<QPointer<QWidget>> hidden_;
    std::vector<QPointer<QWidget>> minimised_;
};

}  // namespace twl
