#include "app/storyboard.h"

namespace twl {

void Storyboard::registerController(const std::string& identifier, Factory factory) {
    factories_[identifier] = std::move(factory);
}

std::shared_ptr<ViewController> Storyboard::instantiateControllerWithIdentifier(
    const std::string& identifier) const {
    const auto found = factories_.find(identifier);
    return found == factories_.end() ? nullptr : found->second(identifier);
}

}  // namespace twl
