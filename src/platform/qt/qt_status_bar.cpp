#include "platform/qt/qt_status_bar.h"

namespace twl {

QtStatusBar::QtStatusBar(QtStatusItem::Perform perform) : perform_(std::move(perform)) {}

std::shared_ptr<StatusItem> QtStatusBar::statusItemWithLength(double) {
    // A tray icon always takes its image's width.
    auto item = std::make_shared<QtStatusItem>(perform_);
    items_.push_back(item);
    return item;
}

QList<QAction*> QtStatusBar::menuActions() const {
    QList<QAction*> actions;
    for (const auto& weak : items_) {
        if (auto item = weak.lock(); item && item->shownMenu() != nullptr) {
            actions += item->shownMenu()->actions();
        }
    }
    return actions;
}

}  // namespace twl
