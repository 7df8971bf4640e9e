#pragma once

#include "platform/qt/centred_line_edit.h"

namespace twl {

// The client's ordinary single-line field: its text sits centred, at the same
// place shown and edited. Layouts promote their plain fields to it.
class CustomTextFieldCell : public CentredLineEdit {
    Q_OBJECT

  public:
    explicit CustomTextFieldCell(QWidget* parent = nullptr);
};

}  // namespace twl
