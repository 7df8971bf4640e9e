#include "platform/qt/qt_layer.h"

#include <QAbstractAnimation>
#include <QStringList>

#include "platform/qt/busy_spinner.h"
#include "platform/qt/qt_conversions.h"
#include "platform/qt/view_properties.h"

namespace twl {
namespace {

constexpr char baseStyleSheet[] = "twlBaseStyleSheet";

QString cssColor(const QVariant& value) {
    return value.value<QColor>().name(QColor::HexArgb);
}

// The widget's own sheet as the layout gave it, plus one rule for the layer.
// The layout's sheets must hold whole rules (selector and braces) for this.
void paintLayer(QWidget& widget) {
    QVariant base = widget.property(baseStyleSheet);
    if (!base.isValid()) {
        base = widget.styleSheet();
        widget.setProperty(baseStyleSheet, base);
    }
    if (widget.objectName().isEmpty()) {
        widget.setObjectName(QStringLiteral("layer_%1").arg(reinterpret_cast<quintptr>(&widget)));
    }
    QStringList declarations;
    if (const QVariant bg = widget.property(view_property::layerBackgroundColor); bg.isValid()) {
        declarations << QStringLiteral("background-color: %1").arg(cssColor(bg));
    }
    if (const QVariant border = widget.property(view_property::layerBorderColor);
        border.isValid()) {
        declarations << QStringLiteral("border: 1px solid %1").arg(cssColor(border));
    }
    widget.setStyleSheet(QStringLiteral("%1\n#%2 { %3; }")
                             .arg(base.toString(), widget.objectName(), declarations.join("; ")));
}

}  // namespace

std::optional<Color> QtLayer::colorProperty(const char* name) const {
    if (!widget_) {
        return std::nullopt;
    }
    const QVariant value = widget_->property(name);
    if (!value.isValid()) {
        return std::nullopt;
    }
    return fromQColor(value.value<QColor>());
}

void QtLayer::setColorProperty(const char* name, const Color& color) {
    if (!widget_) {
        return;
    }
    widget_->setProperty(name, toQColor(color));
    paintLayer(*widget_);
}

void QtLayer::setBackgroundColor(const Color& color) {
    setColorProperty(view_property::layerBackgroundColor, color);
}

std::optional<Color> QtLayer::backgroundColor() const {
    return colorProperty(view_property::layerBackgroundColor);
}

void QtLayer::setBorderColor(const Color& color) {
    setColorProperty(view_property::layerBorderColor, color);
}

std::optional<Color> QtLayer::borderColor() const {
    return colorProperty(view_property::layerBorderColor);
}

void QtLayer::removeAllAnimations() {
    if (!widget_) {
        return;
    }
    if (auto* spinner = qobject_cast<BusySpinner*>(widget_.data())) {
        spinner->setAnimating(false);
    }
    for (auto* animation : widget_->findChildren<QAbstractAnimation*>(Qt::FindDirectChildrenOnly)) {
        animation->stop();
    }
}

}  // namespace twl
