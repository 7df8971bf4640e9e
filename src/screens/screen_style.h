#pragma once

#include <QColor>
#include <QString>
#include <string>

class QLabel;
class QLineEdit;
class QWidget;

namespace twl::screen_style {

// The login button's colour, and under the pointer.
inline const QColor buttonNormalColor{38, 123, 162};
inline const QColor buttonHoverColor{56, 166, 217};

// A field's placeholder as every screen shows it: the text in the client's
// light grey and its light face, drawn by the field itself.
void setPlaceholder(QLineEdit& field, const QString& text);
// The text cursor black while the field is edited.
void blackCaret(QLineEdit& field);
// The window keeps the size it has: the user cannot resize it.
void keepSize(QWidget& window);
// Text set by a screen is shown as plain text within the label's place,
// whoever wrote it (see PlainTextLabel), and read back whole.
void showText(QLabel& label, const std::string& text);
std::string textOf(QLabel& label);
std::string textOf(const QLineEdit& field);

}  // namespace twl::screen_style
