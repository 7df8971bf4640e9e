#pragma once

#include <memory>
#include <vector>

#include "platform/qt/qt_view_base.h"

namespace twl {

// The root view of a loaded layout. It owns the layout's widgets and the
// facades bound to the screen's weak outlets, so both live exactly as long as
// the screen holds its view. Windows borrow the widget while they show it.
class QtRootView final : public QtViewBase<View> {
  public:
    QtRootView(std::unique_ptr<QWidget> root, std::vector<std::shared_ptr<View>> outlets);
    ~QtRootView() override;
    QtRootView(const QtRootView&) = delete;
    QtRootView& operator=(const QtRootView&) = delete;

  private:
    std::unique_ptr<QWidget> owned_;
    std::vector<std::shared_ptr<View>> outlets_;
};

}  // namespace twl
