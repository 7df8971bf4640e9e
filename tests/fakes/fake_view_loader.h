#pragma once

#include "fakes/storyboard_layouts.h"
#include "platform/view_loader.h"

namespace twl::fakes {

// Loads screens into fake views (see FakeRootView): one fake per outlet the
// screen declares. forStoryboard() starts each view as the client's layout
// has it (hidden or shown, its text, its layer); the default loader gives
// every view a layer. Whether the real layouts fit the screens is checked
// against the real loader, not here.
class FakeViewLoader final : public ViewLoader {
  public:
    FakeViewLoader() = default;
    static FakeViewLoader forStoryboard() { return FakeViewLoader(&storyboardLayouts()); }

    std::shared_ptr<View> loadView(ViewController& controller) override;

  private:
    explicit FakeViewLoader(const std::map<std::string, LayoutViews, std::less<>>* layouts)
        : layouts_(layouts) {}

    const std::map<std::string, LayoutViews, std::less<>>* layouts_ = nullptr;
};

}  // namespace twl::fakes
