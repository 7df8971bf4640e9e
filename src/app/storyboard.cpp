#include "app/storyboard.h"

#include "platform/view_controller.h"

namespace twl {

void Storyboard::registerController(const std::string& identifier, Factory factory) {
    factories_[identifier] = std::move(factory);
}

std::shared_ptr<ViewController> Storyboard::instantiateControllerWithIdentifier(
    const std::string& identifier) const {
    const auto found = factories_.find(identifier);
    if (found == factories_.end()) {
        return nullptr;
    }
    auto controller = found->second();
    if (controller) {
        controller->setStoryboardIdentifier(identifier);
    }
    return controller;
}

}  // namespace twl
