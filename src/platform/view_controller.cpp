#include "platform/view_controller.h"

#include "platform/mouse_event.h"
#include "platform/outlet_binder.h"
#include "platform/view.h"
#include "platform/view_loader.h"
#include "platform/window.h"

namespace twl {

void ViewController::bindOutlets(OutletBinder&) {}

void ViewController::mouseEntered(const MouseEvent&) {}

void ViewController::mouseExited(const MouseEvent&) {}

void ViewController::cancelOperation() {
    dismissViewController(*this);
}

void ViewController::presentViewControllerAsModalWindow(
    std::shared_ptr<ViewController> controller) {
    if (auto shownIn = window()) {
        shownIn->presentViewControllerAsModalWindow(std::move(controller));
    }
}

void ViewController::dismissViewController(ViewController& controller) {
    if (auto shownIn = controller.window()) {
        shownIn->dismiss();
    }
}

void ViewController::setStoryboardIdentifier(std::string identifier) {
    storyboardIdentifier_ = std::move(identifier);
}

void ViewController::loadViewIfNeeded(ViewLoader& loader) {
    if (view_) {
        return;
    }
    view_ = loader.loadView(*this);
    viewDidLoad();
}

void ViewController::setWindow(std::weak_ptr<Window> window) {
    window_ = std::move(window);
}

}  // namespace twl
