#pragma once

#include <memory>

#include "platform/layer.h"
#include "platform/view.h"

namespace twl::fakes {

// A layer that remembers its colours and counts animation removals.
class FakeLayer final : public Layer {
  public:
    void setBackgroundColor(const Color& color) override { backgroundColor_ = color; }
    std::optional<Color> backgroundColor() const override { return backgroundColor_; }
    void setBorderColor(const Color& color) override { borderColor_ = color; }
    std::optional<Color> borderColor() const override { return borderColor_; }
    void removeAllAnimations() override { ++animationRemovals; }

    int animationRemovals = 0;

  private:
    std::optional<Color> backgroundColor_;
    std::optional<Color> borderColor_;
};

// The View part of every fake view: it records what the screen did to it.
// Whether it starts with a layer is up to the loader that made it.
template <typename Facade>
class FakeViewBase : public Facade {
  public:
    explicit FakeViewBase(bool hasLayer = true) {
        if (hasLayer) {
            layer_ = std::make_shared<FakeLayer>();
        }
    }

    void setHidden(bool hidden) override { hidden_ = hidden; }
    bool isHidden() const override { return hidden_; }
    std::shared_ptr<Layer> layer() override { return layer_; }
    void setWantsLayer(bool wantsLayer) override {
        wantsLayer_ = wantsLayer;
        if (wantsLayer && !layer_) {
            layer_ = std::make_shared<FakeLayer>();
        }
    }
    std::shared_ptr<View> superview() override { return superview_.lock(); }

    // For tests and the fake window.
    bool wantsLayer() const { return wantsLayer_; }
    FakeLayer* fakeLayer() const { return layer_.get(); }
    void setSuperview(std::weak_ptr<View> superview) { superview_ = std::move(superview); }

  private:
    bool hidden_ = false;
    bool wantsLayer_ = false;
    std::shared_ptr<FakeLayer> layer_;
    std::weak_ptr<View> superview_;
};

class FakeView final : public FakeViewBase<View> {
  public:
    using FakeViewBase::FakeViewBase;
};

}  // namespace twl::fakes
