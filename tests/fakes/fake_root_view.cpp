#include "fakes/fake_root_view.h"

#include "platform/view_controller.h"

namespace twl::fakes {

FakeRootView& FakeRootView::of(const ViewController& controller) {
    auto* root = dynamic_cast<FakeRootView*>(controller.view().get());
    if (root == nullptr) {
        throw std::logic_error("the screen was not loaded by a FakeViewLoader");
    }
    return *root;
}

std::shared_ptr<View> FakeRootView::anyOutlet(std::string_view name) const {
    auto found = outlets_.find(name);
    return found == outlets_.end() ? nullptr : found->second;
}

void FakeRootView::performAction(std::string_view controlName) {
    auto found = actions_.find(controlName);
    if (found == actions_.end()) {
        throw std::out_of_range("the screen bound no action to '" + std::string(controlName) + "'");
    }
    const auto keepAlive = controller_.lock();
    // A copy: the action may replace the screen and with it this root's state.
    const auto actions = found->second;
    for (const auto& action : actions) {
        action();
    }
}

void FakeRootView::addOutlet(std::string name, std::shared_ptr<View> view) {
    outlets_[std::move(name)] = std::move(view);
}

void FakeRootView::addAction(std::string controlName, Action action) {
    actions_[std::move(controlName)].push_back(std::move(action));
}

void FakeRootView::setController(std::weak_ptr<ViewController> controller) {
    controller_ = std::move(controller);
}

}  // namespace twl::fakes
