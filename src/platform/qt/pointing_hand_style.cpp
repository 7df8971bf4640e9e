#include "platform/qt/pointing_hand_style.h"

#include <QAbstractButton>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QTableView>

namespace twl {

PointingHandStyle::PointingHandStyle(const QString& baseStyleKey) : QProxyStyle(baseStyleKey) {}

PointingHandStyle::~PointingHandStyle() {
    releaseOverride();
}

bool PointingHandStyle::takesPointingHand(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) != nullptr ||
           qobject_cast<const QTableView*>(widget) != nullptr;
}

void PointingHandStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (!takesPointingHand(widget)) {
        return;
    }
    widget->setCursor(Qt::PointingHandCursor);
    widget->removeEventFilter(this);  // polishing twice must not filter twice
    widget->installEventFilter(this);
    if (!widget->isEnabled() && widget->underMouse()) {
        holdOverrideFor(widget);
    }
}

void PointingHandStyle::unpolish(QWidget* widget) {
    if (takesPointingHand(widget)) {
        widget->removeEventFilter(this);
        widget->unsetCursor();
        if (overrideHolder_ == widget) {
            releaseOverride();
        }
    }
    QProxyStyle::unpolish(widget);
}

bool PointingHandStyle::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        return QProxyStyle::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::Enter:
            if (!widget->isEnabled()) {
                holdOverrideFor(widget);
            }
            break;
        case QEvent::EnabledChange:
            if (widget->isEnabled()) {
                if (overrideHolder_ == widget) {
                    releaseOverride();
                }
            } else if (widget->underMouse()) {
                holdOverrideFor(widget);
            }
            break;
        case QEvent::Leave:
        case QEvent::Hide:
        case QEvent::WindowDeactivate:
            if (overrideHolder_ == widget) {
                releaseOverride();
            }
            break;
        default:
            break;
    }
    return QProxyStyle::eventFilter(watched, event);
}

void PointingHandStyle::holdOverrideFor(QWidget* widget) {
    if (overrideActive_ && overrideHolder_ == widget) {
        return;
    }
    releaseOverride();
    QGuiApplication::setOverrideCursor(QCursor(Qt::PointingHandCursor));
    overrideActive_ = true;
    overrideHolder_ = widget;
    // A widget destroyed under the mouse sends no Leave.
    connect(widget, &QObject::destroyed, this, &PointingHandStyle::releaseOverride,
            Qt::UniqueConnection);
}

void PointingHandStyle::releaseOverride() {
    if (overrideHolder_ != nullptr) {
        disconnect(overrideHolder_, &QObject::destroyed, this, &PointingHandStyle::releaseOverride);
    }
    overrideHolder_ = nullptr;
    if (overrideActive_) {
        overrideActive_ = false;
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace twl
