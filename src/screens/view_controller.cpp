#include "screens/view_controller.h"

#include "app/storyboard.h"
#include "platform/qt/interface_components.h"
#include "screens/screen_window.h"

namespace twl {

ViewController::~ViewController() {
    for (QWidget* own : {view_.data(), shelf_.data()}) {
        if (own != nullptr) {
            own->deleteLater();
        }
    }
}

void ViewController::cancelOperation() {
    dismissViewController(*this);
}

void ViewController::presentViewControllerAsModalWindow(
    const std::shared_ptr<ViewController>& controller) {
    if (auto shownIn = window()) {
        shownIn->presentViewControllerAsModalWindow(controller);
    }
}

void ViewController::dismissViewController(ViewController& controller) {
    if (auto shownIn = controller.window()) {
        shownIn->dismiss();
    }
}

void ViewController::showInPlaceOf(const std::string& identifier, const Storyboard& storyboard) {
    auto shownIn = window();
    auto next = storyboard.instantiateControllerWithIdentifier(identifier);
    if (shownIn && next) {
        shownIn->setContentViewController(next);
    }
}

void ViewController::setStoryboardIdentifier(std::string identifier) {
    storyboardIdentifier_ = std::move(identifier);
}

void ViewController::loadViewIfNeeded() {
    if (view_) {
        return;
    }
    registerInterfaceArtwork();  // the forms name the client's images
    // Both the screen's own: see the destructor.
    shelf_ = new QWidget;
    view_ = new QWidget(shelf_);
    loadView(*view_);
    viewDidLoad();
}

void ViewController::putAway() {
    if (view_ && shelf_) {
        view_->setParent(shelf_);
    }
}

void ViewController::setWindow(std::weak_ptr<ScreenWindow> window) {
    window_ = std::move(window);
}

}  // namespace twl
