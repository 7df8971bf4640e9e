#include "platform/qt/qt_button.h"

#include <QAbstractButton>

#include "platform/qt/qt_conversions.h"

namespace twl {

QtButton::QtButton(QAbstractButton* button) : QtViewBase(button) {}

QAbstractButton* QtButton::button() const {
    return qobject_cast<QAbstractButton*>(widget_.data());
}

std::string QtButton::title() const {
    auto* shown = button();
    return shown != nullptr ? fromQString(shown->text()) : std::string();
}

void QtButton::setTitle(const std::string& title) {
    if (auto* shown = button()) {
        shown->setText(toQString(title));
    }
}

void QtButton::setEnabled(bool enabled) {
    if (widget_) {
        widget_->setEnabled(enabled);
    }
}

bool QtButton::isEnabled() const {
    return widget_view::isEnabled(widget_);
}

}  // namespace twl
