#pragma once

#include "fakes/fake_view_base.h"
#include "platform/button.h"

namespace twl::fakes {

class FakeButton final : public FakeViewBase<Button> {
  public:
    using FakeViewBase::FakeViewBase;

    std::string title() const override { return title_; }
    void setTitle(const std::string& title) override { title_ = title; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_; }

  private:
    std::string title_;
    bool enabled_ = true;
};

}  // namespace twl::fakes
