#include "fakes/fake_view_loader.h"

#include <string>

#include "fakes/fake_busy_indicator.h"
#include "fakes/fake_button.h"
#include "fakes/fake_image_view.h"
#include "fakes/fake_root_view.h"
#include "fakes/fake_text_field.h"
#include "fakes/storyboard_layouts.h"
#include "platform/outlet_binder.h"
#include "platform/view_controller.h"

namespace twl::fakes {
namespace {

class FakeOutletBinder final : public OutletBinder {
  public:
    FakeOutletBinder(FakeRootView& root, const LayoutViews& layout)
        : root_(root), layout_(layout) {}

    void outlet(std::string_view name, std::weak_ptr<View>& slot) override {
        bind<FakeView>(name, slot);
    }
    void outlet(std::string_view name, std::weak_ptr<TextField>& slot) override {
        bind<FakeTextField>(name, slot);
    }
    void outlet(std::string_view name, std::weak_ptr<Button>& slot) override {
        bind<FakeButton>(name, slot);
    }
    void outlet(std::string_view name, std::weak_ptr<ImageView>& slot) override {
        bind<FakeImageView>(name, slot);
    }
    void outlet(std::string_view name, std::weak_ptr<Box>& slot) override {
        bind<FakeBox>(name, slot);
    }
    void outlet(std::string_view name, std::weak_ptr<BusyIndicator>& slot) override {
        bind<FakeBusyIndicator>(name, slot);
    }
    void action(std::string_view controlName, Action action) override {
        root_.addAction(std::string(controlName), std::move(action));
    }

  private:
    template <typename Fake, typename Facade>
    void bind(std::string_view name, std::weak_ptr<Facade>& slot) {
        // The same view named twice is the same view.
        if (auto existing = std::dynamic_pointer_cast<Facade>(root_.anyOutlet(name))) {
            slot = existing;
            return;
        }
        const auto found = layout_.find(name);
        const LayoutView* view = found == layout_.end() ? nullptr : &found->second;
        auto made = std::make_shared<Fake>(view == nullptr || view->hasLayer);
        if (view != nullptr) {
            made->setHidden(view->startsHidden);
            if constexpr (requires { made->setStringValue(view->text); }) {
                made->setStringValue(view->text);
            } else if constexpr (requires { made->setTitle(view->text); }) {
                made->setTitle(view->text);
            }
        }
        slot = made;
        root_.addOutlet(std::string(name), made);
    }

    FakeRootView& root_;
    const LayoutViews& layout_;
};

}  // namespace

std::shared_ptr<View> FakeViewLoader::loadView(ViewController& controller) {
    auto root = std::make_shared<FakeRootView>();
    root->setController(controller.weak_from_this());
    static const LayoutViews unknown;
    const auto& layouts = storyboardLayouts();
    const auto found = layouts.find(controller.storyboardIdentifier());
    FakeOutletBinder binder(*root, found == layouts.end() ? unknown : found->second);
    controller.bindOutlets(binder);
    return root;
}

}  // namespace twl::fakes
