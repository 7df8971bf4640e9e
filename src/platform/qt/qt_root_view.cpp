#include "platform/qt/qt_root_view.h"

namespace twl {

QtRootView::QtRootView(std::unique_ptr<QWidget> root, std::vector<std::shared_ptr<View>> outlets)
    : QtViewBase(root.get()), owned_(std::move(root)), outlets_(std::move(outlets)) {}

QtRootView::~QtRootView() {
    outlets_.clear();
    if (widget_.isNull()) {
        // A window destroyed before the screen has deleted it with itself.
        (void)owned_.release();
    }
}

}  // namespace twl
