#include "screens/tray_item.h"

#include <QCursor>

#include "platform/qt/qt_status_bar_button.h"

namespace twl {

TrayItem::TrayItem(std::function<void()> quit)
    : button_(std::make_shared<QtStatusBarButton>(&icon_)) {
    QAction* close = menu_.addAction(QStringLiteral("Close Application"));
    close->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    QObject::connect(close, &QAction::triggered, &menu_, std::move(quit));
    icon_.setContextMenu(&menu_);
    QObject::connect(&icon_, &QSystemTrayIcon::activated, &menu_,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) {
                             menu_.popup(QCursor::pos());
                         }
                     });
}

TrayItem::~TrayItem() {
    icon_.setContextMenu(nullptr);
}

std::shared_ptr<StatusBarButton> TrayItem::button() const {
    return button_;
}

}  // namespace twl
