#pragma once

#include "platform/image_view.h"
#include "platform/qt/qt_view_base.h"

class QLabel;

namespace twl {

// An image view over a QLabel. Images come from the resource system as
// ":/images/<name>.png"; a name without an image shows nothing.
class QtImageView final : public QtViewBase<ImageView> {
  public:
    explicit QtImageView(QLabel* label);

    void setImage(const std::string& imageName) override;
    std::string imageName() const override;
};

}  // namespace twl
