#include "fakes/fake_window.h"

#include <algorithm>

#include "fakes/fake_root_view.h"
#include "platform/view_controller.h"
#include "platform/window_delegate.h"

namespace twl::fakes {

std::shared_ptr<FakeWindow> FakeWindow::makeMain(ViewLoader& loader) {
    auto window = std::make_shared<FakeWindow>(Key{}, loader);
    window->visible_ = true;
    return window;
}

void FakeWindow::setContentViewController(std::shared_ptr<ViewController> controller) {
    if (controller == content_) {
        return;
    }
    if (controller) {
        controller->loadViewIfNeeded(loader_);
    }
    releaseContent();
    if (!controller) {
        return;
    }
    content_ = controller;
    controller->setWindow(weak_from_this());
    if (auto* root = dynamic_cast<FakeRootView*>(controller->view().get())) {
        root->setSuperview(frame_);
    }
    if (visible_ && content_ == controller) {
        controller->viewDidAppear();
    }
}

void FakeWindow::releaseContent() {
    if (!content_) {
        return;
    }
    auto previous = std::move(content_);
    content_.reset();
    if (auto* root = dynamic_cast<FakeRootView*>(previous->view().get())) {
        root->setSuperview({});
    }
    previous->setWindow({});
    released_.push_back(std::move(previous));
}

void FakeWindow::presentViewControllerAsModalWindow(std::shared_ptr<ViewController> controller) {
    if (!controller) {
        return;
    }
    auto modal = std::make_shared<FakeWindow>(Key{}, loader_);
    modal->modal_ = true;
    modal->presenter_ = weak_from_this();
    modal->setContentViewController(std::move(controller));
    presented_.push_back(modal);
    modal->show();
}

void FakeWindow::dismiss() {
    if (!modal_ || dismissed_) {
        return;
    }
    dismissed_ = true;
    visible_ = false;
    releaseContent();
    auto presenter = presenter_.lock();
    if (!presenter) {
        return;
    }
    auto& list = presenter->presented_;
    auto found = std::find_if(list.begin(), list.end(),
                              [this](const auto& each) { return each.get() == this; });
    if (found != list.end()) {
        presenter->released_.push_back(std::move(*found));
        list.erase(found);
    }
}

void FakeWindow::show() {
    if (visible_) {
        return;
    }
    visible_ = true;
    if (auto shown = content_) {
        shown->viewDidAppear();
    }
}

void FakeWindow::performClose() {
    if (modal_) {
        if (auto shown = content_) {
            shown->cancelOperation();
        }
        return;
    }
    if (auto heard = delegate_.lock()) {
        heard->windowWillClose();
    }
    visible_ = false;
}

void FakeWindow::pressEscape() {
    if (auto shown = content_) {
        shown->cancelOperation();
    }
}

std::shared_ptr<FakeWindow> FakeWindow::modalWindow() const {
    return presented_.empty() ? nullptr : presented_.back();
}

}  // namespace twl::fakes
