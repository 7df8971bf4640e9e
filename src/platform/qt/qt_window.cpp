#include "platform/qt/qt_window.h"

#include <QCloseEvent>
#include <QMetaObject>
#include <algorithm>
#include <stdexcept>

#include "platform/qt/qt_view_base.h"
#include "platform/qt/shell_window_widget.h"
#include "platform/qt/view_properties.h"
#include "platform/view.h"
#include "platform/view_controller.h"
#include "platform/window_delegate.h"

namespace twl {
namespace {

QWidget& rootWidgetOf(const ViewController& controller) {
    auto* root = dynamic_cast<QtViewBase<View>*>(controller.view().get());
    if (root == nullptr || root->widget() == nullptr) {
        throw std::logic_error("the screen '" + controller.storyboardIdentifier() +
                               "' has no widgets to show");
    }
    return *root->widget();
}

}  // namespace

std::shared_ptr<QtWindow> QtWindow::createMain(ViewLoader& loader,
                                               std::function<bool()> trayAvailable) {
    return std::make_shared<QtWindow>(Key{}, Role::main, loader, std::move(trayAvailable), nullptr);
}

QtWindow::QtWindow(Key, Role role, ViewLoader& loader, std::function<bool()> trayAvailable,
                   QWidget* parent)
    : role_(role), loader_(loader), trayAvailable_(std::move(trayAvailable)) {
    auto widget = std::make_unique<ShellWindowWidget>(parent);
    auto parking = std::make_unique<QWidget>();
    parking->setProperty(view_property::parking, true);
    if (role == Role::modal) {
        widget->setWindowFlag(Qt::Dialog);
        widget->setWindowModality(Qt::WindowModal);
    }
    widget->onClose = [this](QCloseEvent* event) { closeRequested(event); };
    widget->onEscape = [this] { escapePressed(); };
    widget->onShown = [this] { shown(); };
    widget_ = widget.release();  // deleted in the destructor (or by its parent first)
    parking_ = parking.release();
}

QtWindow::~QtWindow() {
    presented_.clear();
    if (content_) {
        content_->setWindow({});
        content_.reset();
    }
    retired_.clear();
    // A modal window's widget may have gone with its presenter's already.
    std::unique_ptr<QWidget> widget(widget_.data());
    widget.reset();
    std::unique_ptr<QWidget> parking(parking_.data());
}

void QtWindow::setContentViewController(std::shared_ptr<ViewController> controller) {
    if (controller == content_) {
        return;
    }
    // Loaded before anything changes: a layout that fails leaves the old content.
    if (controller) {
        controller->loadViewIfNeeded(loader_);
    }
    releaseContent();
    if (!controller || !widget_) {
        return;
    }
    content_ = controller;
    QWidget& root = rootWidgetOf(*controller);
    controller->setWindow(weak_from_this());
    widget_->setCentralWidget(&root);
    root.show();
    if (const QString title = root.windowTitle(); !title.isEmpty()) {
        widget_->setWindowTitle(title);
    }
    fitTo(root);
    if (widget_->isVisible() && content_ == controller) {
        controller->viewDidAppear();
    }
}

void QtWindow::releaseContent() {
    if (!content_) {
        return;
    }
    auto previous = std::move(content_);
    content_.reset();
    if (widget_ && parking_) {
        if (QWidget* taken = widget_->takeCentralWidget()) {
            taken->setParent(parking_);
        }
    }
    previous->setWindow({});
    retire(std::move(previous));
}

void QtWindow::retire(std::shared_ptr<void> held) {
    retired_.push_back(std::move(held));
    if (cleanupPosted_ || !widget_) {
        return;
    }
    cleanupPosted_ = true;
    // Queued on the widget: dropped along with it if the window goes first.
    QMetaObject::invokeMethod(
        widget_,
        [this] {
            cleanupPosted_ = false;
            auto dropped = std::move(retired_);
            retired_.clear();
        },
        Qt::QueuedConnection);
}

void QtWindow::fitTo(QWidget& content) {
    QSize size = content.property(view_property::designSize).toSize();
    if (!size.isValid() || size.isEmpty()) {
        size = content.sizeHint();
    }
    widget_->setMinimumSize(0, 0);
    widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    widget_->resize(size);
    applyStyleMask();
}

void QtWindow::setDelegate(std::weak_ptr<WindowDelegate> delegate) {
    delegate_ = std::move(delegate);
}

void QtWindow::setStyleMask(unsigned styleMask) {
    styleMask_ = styleMask;
    applyStyleMask();
}

void QtWindow::applyStyleMask() {
    if (!widget_) {
        return;
    }
    if ((styleMask_ & window_style::resizable) != 0) {
        const QSize least = content_ ? rootWidgetOf(*content_).minimumSizeHint() : QSize();
        widget_->setMinimumSize(least.expandedTo(QSize(0, 0)));
        widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        widget_->setFixedSize(widget_->size());
    }
}

void QtWindow::presentViewControllerAsModalWindow(std::shared_ptr<ViewController> controller) {
    if (!controller || !widget_) {
        return;
    }
    auto modal = std::make_shared<QtWindow>(Key{}, Role::modal, loader_, nullptr, widget_);
    modal->presenter_ = weak_from_this();
    modal->setContentViewController(std::move(controller));
    presented_.push_back(modal);
    // Centred over the presenting window, as a sheet would be.
    QRect frame = modal->widget_->frameGeometry();
    frame.moveCenter(widget_->frameGeometry().center());
    modal->widget_->move(frame.topLeft());
    modal->show();
}

void QtWindow::dismiss() {
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

void QtWindow::forgetPresented(const QtWindow* window) {
    const auto found = std::find_if(presented_.begin(), presented_.end(),
                                    [window](const auto& each) { return each.get() == window; });
    if (found == presented_.end()) {
        return;
    }
    auto dismissed = std::move(*found);
    presented_.erase(found);
    retire(std::move(dismissed));
}

void QtWindow::show() {
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

bool QtWindow::isVisible() const {
    return widget_ && widget_->isVisible() && !widget_->isMinimized();
}

QWidget* QtWindow::widget() const {
    return widget_.data();
}

void QtWindow::shown() {
    if (content_) {
        auto keep = content_;
        keep->viewDidAppear();
    }
}

void QtWindow::closeRequested(QCloseEvent* event) {
    if (role_ == Role::modal) {
        // The close button of a modal window is its screen's Cancel.
        event->ignore();
        if (content_) {
            auto keep = content_;
            keep->cancelOperation();
        }
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

void QtWindow::escapePressed() {
    if (content_) {
        auto keep = content_;
        keep->cancelOperation();
    }
}

}  // namespace twl
