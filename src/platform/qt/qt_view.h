#pragma once

#include "platform/qt/qt_view_base.h"

namespace twl {

// A plain view over any widget.
class QtView final : public QtViewBase<View> {
  public:
    using QtViewBase::QtViewBase;
};

}  // namespace twl
