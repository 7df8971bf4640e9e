#include "platform/qt/qt_status_item.h"

#include <QCursor>

#include "platform/menu.h"
#include "platform/qt/qt_conversions.h"
#include "platform/qt/qt_status_bar_button.h"

namespace twl {

QtStatusItem::QtStatusItem(Perform perform)
    : perform_(std::move(perform)),
      trayIcon_(std::make_unique<QSystemTrayIcon>()),
      button_(std::make_shared<QtStatusBarButton>(trayIcon_.get())) {
    QObject::connect(trayIcon_.get(), &QSystemTrayIcon::activated, trayIcon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger && shownMenu_) {
                             shownMenu_->popup(QCursor::pos());
                         }
                     });
}

QtStatusItem::~QtStatusItem() {
    trayIcon_->setContextMenu(nullptr);
}

std::shared_ptr<StatusBarButton> QtStatusItem::button() {
    return button_;
}

void QtStatusItem::setMenu(std::shared_ptr<Menu> menu) {
    menu_ = std::move(menu);
    trayIcon_->setContextMenu(nullptr);
    shownMenu_.reset();
    if (!menu_) {
        return;
    }
    shownMenu_ = std::make_unique<QMenu>();
    for (const MenuItem& item : menu_->items()) {
        QAction* entry = shownMenu_->addAction(toQString(item.title));
        if (!item.keyEquivalent.empty()) {
            entry->setShortcut(QKeySequence(
                QStringLiteral("Ctrl+%1").arg(toQString(item.keyEquivalent).toUpper())));
        }
        QObject::connect(entry, &QAction::triggered, entry,
                         [this, action = item.action] { perform_(action); });
    }
    trayIcon_->setContextMenu(shownMenu_.get());
}

}  // namespace twl
