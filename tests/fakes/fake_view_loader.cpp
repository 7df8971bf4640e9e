#include "fakes/fake_view_loader.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/fake_box.h"
#include "fakes/fake_busy_indicator.h"
#include "fakes/fake_button.h"
#include "fakes/fake_image_view.h"
#include "fakes/fake_root_view.h"
#include "fakes/fake_text_field.h"
#include "fakes/fake_view.h"
#include "platform/outlet_binder.h"
#include "platform/view_controller.h"

namespace twl::fakes {
namespace {

using K = WidgetKind;

// Makes a fake per declared outlet, checking names and kinds against the
// layout when there is one, and collects what does not fit.
class FakeOutletBinder final : public OutletBinder {
  public:
    FakeOutletBinder(FakeRootView& root, const LayoutViews* layout)
        : root_(root), layout_(layout) {}

    void outlet(std::string_view name, std::weak_ptr<View>& slot) override {
        bind<FakeView>(name, "View", slot, {});
    }
    void outlet(std::string_view name, std::weak_ptr<TextField>& slot) override {
        bind<FakeTextField>(name, "TextField", slot, {K::label, K::lineEdit});
    }
    void outlet(std::string_view name, std::weak_ptr<Button>& slot) override {
        bind<FakeButton>(name, "Button", slot, {K::button});
    }
    void outlet(std::string_view name, std::weak_ptr<ImageView>& slot) override {
        bind<FakeImageView>(name, "ImageView", slot, {K::label});
    }
    void outlet(std::string_view name, std::weak_ptr<Box>& slot) override {
        bind<FakeBox>(name, "Box", slot, {});
    }
    void outlet(std::string_view name, std::weak_ptr<BusyIndicator>& slot) override {
        bind<FakeBusyIndicator>(name, "BusyIndicator", slot, {K::spinner});
    }

    void action(std::string_view controlName, Action action) override {
        if (layout_ != nullptr && !check(controlName, "send actions", {K::button, K::lineEdit})) {
            return;
        }
        root_.addAction(std::string(controlName), std::move(action));
    }

    void finish(const std::string& identifier) const {
        if (problems_.empty()) {
            return;
        }
        std::string message = "layout " + identifier + " does not fit its screen:";
        for (const auto& each : problems_) {
            message += "\n  " + each;
        }
        throw std::logic_error(message);
    }

  private:
    // The layout's view of that name when it is of one of the kinds (no kinds:
    // any view will do).
    const LayoutView* check(std::string_view name, const std::string& role,
                            std::initializer_list<WidgetKind> kinds) {
        auto found = layout_->find(name);
        if (found == layout_->end()) {
            problems_.push_back("'" + std::string(name) + "' is not in the layout");
            return nullptr;
        }
        if (kinds.size() > 0 &&
            std::find(kinds.begin(), kinds.end(), found->second.kind) == kinds.end()) {
            problems_.push_back("'" + std::string(name) + "' cannot " + role);
            return nullptr;
        }
        return &found->second;
    }

    template <typename Fake, typename Facade>
    void bind(std::string_view name, const std::string& facade, std::weak_ptr<Facade>& slot,
              std::initializer_list<WidgetKind> kinds) {
        // The same view named twice is the same view.
        if (auto existing = std::dynamic_pointer_cast<Facade>(root_.anyOutlet(name))) {
            slot = existing;
            return;
        }
        const LayoutView* view = nullptr;
        if (layout_ != nullptr && (view = check(name, "be a " + facade, kinds)) == nullptr) {
            return;
        }
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
    const LayoutViews* layout_;
    std::vector<std::string> problems_;
};

}  // namespace

std::shared_ptr<View> FakeViewLoader::loadView(ViewController& controller) {
    const std::string& identifier = controller.storyboardIdentifier();
    auto root = std::make_shared<FakeRootView>();
    root->setController(controller.weak_from_this());
    const LayoutViews* layout = nullptr;
    if (layouts_ != nullptr) {
        auto found = layouts_->find(identifier);
        if (found == layouts_->end()) {
            throw std::logic_error("no layout for the screen '" + identifier + "'");
        }
        layout = &found->second;
        for (const auto& [name, view] : *layout) {
            if (view.trackingUserInfo) {
                root->addTrackingArea(name, *view.trackingUserInfo);
            }
        }
    }
    FakeOutletBinder binder(*root, layout);
    controller.bindOutlets(binder);
    binder.finish(identifier);
    ++loads_;
    return root;
}

}  // namespace twl::fakes
