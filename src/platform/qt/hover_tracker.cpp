#include "platform/qt/hover_tracker.h"

#include <QEvent>
#include <QWidget>
#include <stdexcept>

#include "platform/mouse_event.h"
#include "platform/qt/qt_conversions.h"
#include "platform/qt/view_properties.h"
#include "platform/view_controller.h"

namespace twl {

HoverTracker::HoverTracker(QWidget& watched, std::weak_ptr<ViewController> controller,
                           nlohmann::json userInfo)
    : QObject(&watched), controller_(std::move(controller)), userInfo_(std::move(userInfo)) {
    watched.installEventFilter(this);
}

void HoverTracker::installAll(QWidget& root, const std::weak_ptr<ViewController>& controller) {
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* widget : widgets) {
        const QVariant declared = widget->property(view_property::trackingUserInfo);
        if (!declared.isValid()) {
            continue;
        }
        auto userInfo = nlohmann::json::parse(fromQString(declared.toString()), nullptr, false);
        if (!userInfo.is_object()) {
            throw std::logic_error("tracking user info of '" + fromQString(widget->objectName()) +
                                   "' is not a JSON object");
        }
        new HoverTracker(*widget, controller, std::move(userInfo));  // the widget owns it
    }
}

bool HoverTracker::eventFilter(QObject* watched, QEvent* event) {
    const bool entered = event->type() == QEvent::Enter;
    const bool exited = event->type() == QEvent::Leave;
    if (entered || exited) {
        if (auto controller = controller_.lock()) {
            const MouseEvent mouse{TrackingArea{userInfo_}};
            if (entered) {
                controller->mouseEntered(mouse);
            } else {
                controller->mouseExited(mouse);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace twl
