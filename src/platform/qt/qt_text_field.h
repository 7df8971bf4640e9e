#pragma once

#include "platform/qt/qt_view_base.h"
#include "platform/text_field.h"

class QLabel;
class QLineEdit;

namespace twl {

// A text field over a QLineEdit (editable) or a QLabel (a label).
class QtTextField final : public QtViewBase<TextField> {
  public:
    // The widget must be a QLineEdit or a QLabel.
    explicit QtTextField(QWidget* widget) : QtViewBase(widget) {}

    std::string stringValue() const override;
    void setStringValue(const std::string& value) override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override;
    void setPlaceholderAttributedString(const AttributedString& placeholder) override;
    AttributedString placeholderAttributedString() const override;
    void setInsertionPointColor(const Color& color) override;

  private:
    QLineEdit* lineEdit() const;
    QLabel* label() const;
};

}  // namespace twl
