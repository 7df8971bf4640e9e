#include "fakes/fake_environment.h"

namespace twl::fakes {

FakeEnvironment::~FakeEnvironment() {
    // Screens and timers hold the context (the vpn harness may have replaced it).
    window.reset();
    context.reset();
}

std::shared_ptr<ViewController> FakeEnvironment::show(const std::string& identifier) {
    auto screen = storyboard.instantiateControllerWithIdentifier(identifier);
    if (screen) {
        window->setContentViewController(screen);
    }
    return screen;
}

}  // namespace twl::fakes
