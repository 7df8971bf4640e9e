#include "platform/qt/qt_status_bar_button.h"

#include <QPixmap>

#include "platform/qt/qt_conversions.h"

namespace twl {

void QtStatusBarButton::setImage(const std::string& imageName) {
    imageName_ = imageName;
    if (!trayIcon_) {
        return;
    }
    QPixmap image(QStringLiteral(":/images/%1.png").arg(toQString(imageName)));
    if (image.isNull()) {
        image = QPixmap(22, 22);
        image.fill(Qt::transparent);
    }
    trayIcon_->setIcon(QIcon(image));
    trayIcon_->show();
}

}  // namespace twl
