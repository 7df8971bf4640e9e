#pragma once

#include "fakes/fake_view_base.h"
#include "platform/image_view.h"

namespace twl::fakes {

class FakeImageView final : public FakeViewBase<ImageView> {
  public:
    using FakeViewBase::FakeViewBase;

    void setImage(const std::string& imageName) override { imageName_ = imageName; }
    std::string imageName() const override { return imageName_; }

  private:
    std::string imageName_;
};

}  // namespace twl::fakes
