#pragma once

#include "fakes/storyboard_layouts.h"
#include "platform/view_loader.h"

namespace twl::fakes {

// Loads screens into fake views (see FakeRootView).
//
// forStoryboard() serves the client's own layouts exactly as the real loader
// does: an outlet or action that the layout lacks, or a view of the wrong
// kind, throws std::logic_error; views start hidden, with texts, layers and
// tracking areas as their layout gives them. The default loader serves any
// name (every view with a layer), for screens made up by a test.
class FakeViewLoader final : public ViewLoader {
  public:
    FakeViewLoader() = default;
    static FakeViewLoader forStoryboard() { return FakeViewLoader(&storyboardLayouts()); }

    std::shared_ptr<View> loadView(ViewController& controller) override;

    int loads() const { return loads_; }

  private:
    explicit FakeViewLoader(const std::map<std::string, LayoutViews, std::less<>>* layouts)
        : layouts_(layouts) {}

    const std::map<std::string, LayoutViews, std::less<>>* layouts_ = nullptr;
    int loads_ = 0;
};

}  // namespace twl::fakes
