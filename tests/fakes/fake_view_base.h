#pragma once

#include <memory>

#include "fakes/fake_layer.h"
#include "platform/box.h"
#include "platform/view.h"

namespace twl::fakes {

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
        if (wantsLayer && !layer_) {
            layer_ = std::make_shared<FakeLayer>();
        }
    }
    std::shared_ptr<View> superview() override { return superview_.lock(); }

    // For tests and the fake window.
    FakeLayer* fakeLayer() const { return layer_.get(); }
    void setSuperview(std::weak_ptr<View> superview) { superview_ = std::move(superview); }

  private:
    bool hidden_ = false;
    std::shared_ptr<FakeLayer> layer_;
    std::weak_ptr<View> superview_;
};

using FakeView = FakeViewBase<View>;
using FakeBox = FakeViewBase<Box>;

}  // namespace twl::fakes
