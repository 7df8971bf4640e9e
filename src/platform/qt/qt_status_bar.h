#pragma once

#include <QAction>
#include <QList>
#include <memory>
#include <vector>

#include "platform/qt/qt_status_item.h"
#include "platform/status_bar.h"

namespace twl {

// The desktop's tray. Every item it makes sends its menu's actions to one
// handler (the application's).
class QtStatusBar final : public StatusBar {
  public:
    explicit QtStatusBar(QtStatusItem::Perform perform);

    std::shared_ptr<StatusItem> statusItemWithLength(double length) override;

    // The entries of every live item's menu, so that a window can offer their
    // shortcuts while it has the focus.
    QList<QAction*> menuActions() const;

  private:
    QtStatusItem::Perform perform_;
    std::vector<std::weak_ptr<QtStatusItem>> items_;
};

}  // namespace twl
