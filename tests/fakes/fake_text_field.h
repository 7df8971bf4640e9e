#pragma once

#include "fakes/fake_view_base.h"
#include "platform/text_field.h"

namespace twl::fakes {

class FakeTextField final : public FakeViewBase<TextField> {
  public:
    using FakeViewBase::FakeViewBase;

    std::string stringValue() const override { return value_; }
    void setStringValue(const std::string& value) override { value_ = value; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_; }
    void setPlaceholderAttributedString(const AttributedString& placeholder) override {
        placeholder_ = placeholder;
    }
    AttributedString placeholderAttributedString() const override { return placeholder_; }
    void setInsertionPointColor(const Color&) override {}

  private:
    std::string value_;
    bool enabled_ = true;
    AttributedString placeholder_;
};

}  // namespace twl::fakes
