#include "platform/qt/qt_view_base.h"

#include "platform/qt/qt_layer.h"
#include "platform/qt/qt_view.h"
#include "platform/qt/view_properties.h"

namespace twl::widget_view {

void setHidden(QWidget* widget, bool hidden) {
    if (widget != nullptr) {
        widget->setHidden(hidden);
    }
}

bool isHidden(const QWidget* widget) {
    return widget == nullptr || widget->isHidden();
}

std::shared_ptr<Layer> layer(QWidget* widget) {
    if (widget == nullptr || !widget->property(view_property::wantsLayer).toBool()) {
        return nullptr;
    }
    return std::make_shared<QtLayer>(widget);
}

void setWantsLayer(QWidget* widget, bool wantsLayer) {
    if (widget == nullptr) {
        return;
    }
    widget->setProperty(view_property::wantsLayer, wantsLayer);
    if (wantsLayer) {
        // Lets a plain QWidget paint the layer's background colour.
        widget->setAttribute(Qt::WA_StyledBackground, true);
    }
}

std::shared_ptr<View> superview(QWidget* widget) {
    if (widget == nullptr) {
        return nullptr;
    }
    QWidget* parent = widget->parentWidget();
    if (parent == nullptr || parent->property(view_property::parking).toBool()) {
        return nullptr;
    }
    return std::make_shared<QtView>(parent);
}

bool isEnabled(const QWidget* widget) {
    if (widget == nullptr) {
        return false;
    }
    return !widget->testAttribute(Qt::WA_ForceDisabled);
}

}  // namespace twl::widget_view
