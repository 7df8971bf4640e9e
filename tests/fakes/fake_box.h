#pragma once

#include "fakes/fake_view_base.h"
#include "platform/box.h"

namespace twl::fakes {

class FakeBox final : public FakeViewBase<Box> {
  public:
    using FakeViewBase::FakeViewBase;
};

}  // namespace twl::fakes
