#include "screens/hover_filter.h"

#include <QEvent>
#include <QWidget>

namespace twl {

HoverFilter::HoverFilter(QWidget& watched, QObject& owner, Changed changed)
    : QObject(&owner), changed_(std::move(changed)) {
    watched.installEventFilter(this);
}

bool HoverFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        changed_(event->type() == QEvent::Enter);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace twl
