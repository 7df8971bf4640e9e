#include "platform/qt/interface_components.h"

#include <QApplication>
#include <QStyle>
#include <memory>
#include <mutex>

#include "platform/qt/pointing_hand_style.h"

// Outside the namespace: the resource initialiser is a global function.
static void registerImagesResource() {
    Q_INIT_RESOURCE(images);
}

namespace twl {

void registerInterfaceArtwork() {
    static std::once_flag once;
    std::call_once(once, registerImagesResource);
}

void installInterfaceComponents(QApplication& app) {
    registerInterfaceArtwork();
    if (qobject_cast<PointingHandStyle*>(app.style()) != nullptr) {
        return;
    }
    auto style = std::make_unique<PointingHandStyle>(app.style()->name());
    QApplication::setStyle(style.release());  // the application owns its style
}

}  // namespace twl
