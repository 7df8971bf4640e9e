#include "platform/qt/custom_security_cell.h"

namespace twl {

CustomSecurityCell::CustomSecurityCell(QWidget* parent) : CentredLineEdit(parent) {
    setEchoMode(QLineEdit::Password);
}

}  // namespace twl
