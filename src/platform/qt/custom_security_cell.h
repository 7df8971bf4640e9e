#pragma once

#include "platform/qt/centred_line_edit.h"

namespace twl {

// The client's password field: bullets instead of the text, centred at the
// same place as in an ordinary field. Layouts promote their password fields
// to it.
class CustomSecurityCell : public CentredLineEdit {
    Q_OBJECT

  public:
    explicit CustomSecurityCell(QWidget* parent = nullptr);
};

}  // namespace twl
