#include "screens/screen_style.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include "platform/qt/plain_text_label.h"
#include "platform/qt/view_properties.h"

namespace twl::screen_style {
namespace {

const QColor placeholderColor{189, 189, 189};

// "Helvetica Light" at 14: fontconfig picks the nearest installed face where
// the family is absent, that weight of the system's sans.
QFont placeholderFont() {
    QFont font(QStringLiteral("Helvetica"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Light);
    font.setPixelSize(14);
    return font;
}

}  // namespace

void setPlaceholder(QLineEdit& field, const QString& text) {
    field.setPlaceholderText(text);
    // The client's field classes draw the placeholder from these.
    field.setProperty(view_property::placeholderColor, placeholderColor);
    field.setProperty(view_property::placeholderFont, placeholderFont());
}

void blackCaret(QLineEdit& field) {
    // A line edit draws its caret in the text colour.
    QPalette palette = field.palette();
    palette.setColor(QPalette::Text, Qt::black);
    field.setPalette(palette);
}

void keepSize(QWidget& window) {
    window.setFixedSize(window.size());
}

void showText(QLabel& label, const std::string& text) {
    PlainTextLabel::of(label).setText(QString::fromStdString(text));
}

std::string textOf(QLabel& label) {
    return PlainTextLabel::of(label).text().toStdString();
}

std::string textOf(const QLineEdit& field) {
    return field.text().toStdString();
}

}  // namespace twl::screen_style
