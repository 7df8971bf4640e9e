#include "screens/screen_window.h"

#include <QCloseEvent>
#include <QTimer>
#include <algorithm>

#include "screens/shell_window_widget.h"
#include "screens/view_controller.h"
#include "screens/window_delegate.h"

namespace twl {

std::shared_ptr<ScreenWindow> ScreenWindow::createMain(std::function<bool()> trayAvailable) {
    return std::make_shared<ScreenWindow>(Key{}, Role::main, std::move(trayAvailable), nullptr);
}

ScreenWindow::ScreenWindow(Key, Role role, std::function<bool()> trayAvailable, QWidget* parent)
    : role_(role), trayAvailable_(std::move(trayAvailable)) {
    auto widget = std::make_unique<ShellWindowWidget>(parent);
    if (role == Role::modal) {
        widget->setWindowFlag(Qt::Dialog);
        widget->setWindowModality(Qt::WindowModal);
    }
    widget->onClose = [this](QCloseEvent* event) { closeRequested(event); };
    widget->onEscape = [this] { askContentToCancel(); };
    widget->onShown = [this] { shown(); };
    widget_ = widget.release();  // deleted in the destructor (or by its parent first)
}

ScreenWindow::~ScreenWindow() {
    presented_.clear();
    releaseContent();
    // A modal window's widget may have gone with its presenter's already.
    std::unique_ptr<QWidget> widget(widget_.data());
}

void ScreenWindow::setContentViewController(const std::shared_ptr<ViewController>& controller) {
    if (controller == content_) {
        return;
    }
    // Built before anything changes: a form that fails leaves the old content.
    if (controller) {
        controller->loadViewIfNeeded();
    }
    releaseContent();
    if (!controller || !widget_) {
        return;
    }
    content_ = controller;
    QWidget& root = *controller->view();
    const QSize drawnAt = root.size();
    controller->setWindow(weak_from_this());
    widget_->setMinimumSize(0, 0);
    widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    widget_->setCentralWidget(&root);
    root.show();
    if (const QString title = root.windowTitle(); !title.isEmpty()) {
        widget_->setWindowTitle(title);
    }
    widget_->resize(drawnAt);
    if (widget_->isVisible() && content_ == controller) {
        controller->viewDidAppear();
    }
}

void ScreenWindow::releaseContent() {
    if (!content_) {
        return;
    }
    auto previous = std::move(content_);
    content_.reset();
    if (widget_) {
        widget_->takeCentralWidget();  // the screen's, not the window's
    }
    previous->setWindow({});
    previous->putAway();
    letGoLater(std::move(previous));
}

// A screen replaced from its own button's click is still in that click.
void ScreenWindow::letGoLater(std::shared_ptr<void> held) {
    if (widget_) {
        QTimer::singleShot(0, widget_, [held = std::move(held)] {});
    }
}

void ScreenWindow::presentViewControllerAsModalWindow(
    const std::shared_ptr<ViewController>& controller) {
    if (!controller || !widget_) {
        return;
    }
    auto modal = std::make_shared<ScreenWindow>(Key{}, Role::modal, nullptr, widget_);
    modal->presenter_ = weak_from_this();
    modal->setContentViewController(controller);
    presented_.push_back(modal);
    // Centred over the presenting window, as a sheet would be.
    QRect frame = modal->widget_->frameGeometry();
    frame.moveCenter(widget_->frameGeometry().center());
    modal->widget_->move(frame.topLeft());
    modal->show();
}

void ScreenWindow::dismiss() {
    if (role_ != Role::modal || dismissed_) {
        return;
    }
    dismissed_ = true;
    if (widget_) {
        widget_->hide();
    }
    releaseContent();
    if (auto presenter = presenter_.lock()) {
        presenter->forgetPresented(this);
    }
}

void ScreenWindow::forgetPresented(const ScreenWindow* window) {
    const auto found = std::find_if(presented_.begin(), presented_.end(),
                                    [window](const auto& each) { return each.get() == window; });
    if (found != presented_.end()) {
        auto dismissed = std::move(*found);
        presented_.erase(found);
        letGoLater(std::move(dismissed));
    }
}

void ScreenWindow::show() {
    if (!widget_) {
        return;
    }
    if (widget_->isMinimized()) {
        widget_->showNormal();
    } else {
        widget_->show();
    }
    widget_->raise();
    widget_->activateWindow();
}

bool ScreenWindow::isVisible() const {
    return widget_ && widget_->isVisible() && !widget_->isMinimized();
}

QWidget* ScreenWindow::widget() const {
    return widget_.data();
}

void ScreenWindow::shown() {
    if (auto keep = content_) {
        keep->viewDidAppear();
    }
}

void ScreenWindow::closeRequested(QCloseEvent* event) {
    if (role_ == Role::modal) {
        // The close button of a modal window is its screen's Cancel.
        event->ignore();
        askContentToCancel();
        return;
    }
    if (auto delegate = delegate_.lock()) {
        delegate->windowWillClose();
    }
    if (trayAvailable_ && trayAvailable_()) {
        event->accept();
    } else {
        // Nothing on the desktop could bring a hidden window back.
        event->ignore();
        widget_->showMinimized();
    }
}

void ScreenWindow::askContentToCancel() {
    if (auto keep = content_) {
        keep->cancelOperation();
    }
}

}  // namespace twl
