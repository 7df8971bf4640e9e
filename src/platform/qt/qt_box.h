#pragma once

#include "platform/box.h"
#include "platform/qt/qt_view_base.h"

namespace twl {

// A panel over any container widget (a QFrame, a QGroupBox).
class QtBox final : public QtViewBase<Box> {
  public:
    using QtViewBase::QtViewBase;
};

}  // namespace twl
