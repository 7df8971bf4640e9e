#pragma once

#include "fakes/fake_view_base.h"

namespace twl::fakes {

class FakeView final : public FakeViewBase<View> {
  public:
    using FakeViewBase::FakeViewBase;
};

}  // namespace twl::fakes
