#include "fakes/fake_view_loader.h"

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

bool fits(const std::string& facade, WidgetKind kind) {
    if (facade == "View" || facade == "Box") {
        return true;
    }
    if (facade == "TextField") {
        return kind == WidgetKind::label || kind == WidgetKind::lineEdit;
    }
    if (facade == "Button") {
        return kind == WidgetKind::button;
    }
    if (facade == "ImageView") {
        return kind == WidgetKind::label;
    }
    if (facade == "BusyIndicator") {
        return kind == WidgetKind::spinner;
    }
    return false;  // "action"
}

// Makes a fake per declared outlet, checking names against the layout when
// there is one, and collects what does not fit.
class FakeOutletBinder final : public OutletBinder {
  public:
    FakeOutletBinder(FakeRootView& root, const LayoutViews* layout)
        : root_(root), layout_(layout) {}

    void outlet(std::string_view name, std::weak_ptr<View>& slot) override {
        bind<FakeView>(name, "View", slot);
    }
    void outlet(std::string_view name, std::weak_ptr<TextField>& slot) override {
        bind<FakeTextField>(name, "TextField", slot);
    }
    void outlet(std::string_view name, std::weak_ptr<Button>& slot) override {
        bind<FakeButton>(name, "Button", slot);
    }
    void outlet(std::string_view name, std::weak_ptr<ImageView>& slot) override {
        bind<FakeImageView>(name, "ImageView", slot);
    }
    void outlet(std::string_view name, std::weak_ptr<Box>& slot) override {
        bind<FakeBox>(name, "Box", slot);
    }
    void outlet(std::string_view name, std::weak_ptr<BusyIndicator>& slot) override {
        bind<FakeBusyIndicator>(name, "BusyIndicator", slot);
    }

    void action(std::string_view controlName, Action action) override {
        if (layout_ != nullptr) {
            const LayoutView* view = find(controlName);
            if (view == nullptr) {
                return;
            }
            if (view->kind != WidgetKind::button && view->kind != WidgetKind::lineEdit) {
                problems_.push_back("'" + std::string(controlName) + "' cannot send actions");
                return;
            }
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
    const LayoutView* find(std::string_view name) {
        auto found = layout_->find(name);
        if (found == layout_->end()) {
            problems_.push_back("'" + std::string(name) + "' is not in the layout");
            return nullptr;
        }
        return &found->second;
    }

    template <typename Fake, typename Facade>
    void bind(std::string_view name, const std::string& facade, std::weak_ptr<Facade>& slot) {
        // The same view named twice is the same view.
        if (auto existing = std::dynamic_pointer_cast<Facade>(root_.anyOutlet(name))) {
            slot = existing;
            return;
        }
        const LayoutView* view = nullptr;
        if (layout_ != nullptr) {
            view = find(name);
            if (view == nullptr) {
                return;
            }
            if (!fits(facade, view->kind)) {
                problems_.push_back("'" + std::string(name) + "' cannot be a " + facade);
                return;
            }
        }
        auto made = std::make_shared<Fake>(view == nullptr || view->hasLayer);
        if (view != nullptr) {
            made->setHidden(view->startsHidden);
            initialText(*made, view->text);
        }
        slot = made;
        root_.addOutlet(std::string(name), made);
    }

    template <typename Fake>
    static void initialText(Fake& made, const std::string& text) {
        if constexpr (requires { made.setStringValue(text); }) {
            made.setStringValue(text);
        } else if constexpr (requires { made.setTitle(text); }) {
            made.setTitle(text);
        }
    }

    FakeRootView& root_;
    const LayoutViews* layout_;
    std::vector<std::string> problems_;
};

}  // namespace

std::shared_ptr<View> FakeViewLoader::loadView(ViewController& controller) {
    const std::string& identifier = controller.storyboardIdentifier();
    const LayoutViews* layout = nullptr;
    if (layouts_ != nullptr) {
        auto found = layouts_->find(identifier);
        if (found == layouts_->end()) {
            throw std::logic_error("no layout for the screen '" + identifier + "'");
        }
        layout = &found->second;
    }
    auto root = std::make_shared<FakeRootView>();
    root->setController(controller.weak_from_this());
    if (layout != nullptr) {
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
