#include "platform/qt/custom_text_field_cell.h"

namespace twl {

CustomTextFieldCell::CustomTextFieldCell(QWidget* parent) : CentredLineEdit(parent) {}

}  // namespace twl
