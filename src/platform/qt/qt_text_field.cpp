#include "platform/qt/qt_text_field.h"

#include <QLabel>
#include <QLineEdit>

#include "platform/qt/plain_text_label.h"
#include "platform/qt/qt_conversions.h"
#include "platform/qt/view_properties.h"

namespace twl {

QLineEdit* QtTextField::lineEdit() const {
    return qobject_cast<QLineEdit*>(widget_.data());
}

QLabel* QtTextField::label() const {
    return qobject_cast<QLabel*>(widget_.data());
}

std::string QtTextField::stringValue() const {
    if (auto* edit = lineEdit()) {
        return fromQString(edit->text());
    }
    if (auto* text = label()) {
        return fromQString(PlainTextLabel::of(*text).text());
    }
    return {};
}

void QtTextField::setStringValue(const std::string& value) {
    if (auto* edit = lineEdit()) {
        edit->setText(toQString(value));
    } else if (auto* text = label()) {
        PlainTextLabel::of(*text).setText(toQString(value));
    }
}

void QtTextField::setEnabled(bool enabled) {
    if (widget_) {
        widget_->setEnabled(enabled);
    }
}

bool QtTextField::isEnabled() const {
    return widget_view::isEnabled(widget_);
}

void QtTextField::setPlaceholderAttributedString(const AttributedString& placeholder) {
    auto* edit = lineEdit();
    if (edit == nullptr) {
        return;
    }
    edit->setPlaceholderText(toQString(placeholder.string));
    // The client's field classes draw the placeholder from the properties; the
    // palette serves a plain line edit until a style sheet polishes it.
    if (placeholder.foregroundColor) {
        const QColor color = toQColor(*placeholder.foregroundColor);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::PlaceholderText, color);
        edit->setPalette(palette);
        edit->setProperty(view_property::placeholderColor, color);
    } else {
        edit->setProperty(view_property::placeholderColor, QVariant());
    }
    edit->setProperty(view_property::placeholderFont,
                      placeholder.font ? QVariant(toQFont(*placeholder.font)) : QVariant());
}

AttributedString QtTextField::placeholderAttributedString() const {
    auto* edit = lineEdit();
    if (edit == nullptr) {
        return {};
    }
    AttributedString placeholder{fromQString(edit->placeholderText()), std::nullopt, std::nullopt};
    if (const QVariant color = edit->property(view_property::placeholderColor); color.isValid()) {
        placeholder.foregroundColor = fromQColor(color.value<QColor>());
    }
    if (const QVariant font = edit->property(view_property::placeholderFont); font.isValid()) {
        placeholder.font = fromQFont(font.value<QFont>());
    }
    return placeholder;
}

void QtTextField::setInsertionPointColor(const Color& color) {
    auto* edit = lineEdit();
    if (edit == nullptr) {
        return;
    }
    // A line edit draws its caret in the text colour; a field class that
    // paints its own caret reads the property instead.
    const QColor caret = toQColor(color);
    edit->setProperty(view_property::insertionPointColor, caret);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, caret);
    edit->setPalette(palette);
}

}  // namespace twl
