#pragma once

#include "platform/layer.h"

namespace twl::fakes {

// A layer that remembers its colours.
class FakeLayer final : public Layer {
  public:
    void setBackgroundColor(const Color& color) override { backgroundColor_ = color; }
    std::optional<Color> backgroundColor() const override { return backgroundColor_; }
    void setBorderColor(const Color& color) override { borderColor_ = color; }
    std::optional<Color> borderColor() const override { return borderColor_; }
    void removeAllAnimations() override {}

  private:
    std::optional<Color> backgroundColor_;
    std::optional<Color> borderColor_;
};

}  // namespace twl::fakes
