#pragma once

#include "platform/view_loader.h"

namespace twl::fakes {

// Loads screens into fake views (see FakeRootView): one fake per outlet the
// screen declares, starting as the client's layout has it (hidden or shown,
// its text, its layer; see storyboard_layouts.h).
class FakeViewLoader final : public ViewLoader {
  public:
    std::shared_ptr<View> loadView(ViewController& controller) override;
};

}  // namespace twl::fakes
