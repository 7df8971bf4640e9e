#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "platform/window.h"

class QCloseEvent;
class QWidget;

namespace twl {

class ShellWindowWidget;
class ViewLoader;

// A window over a QMainWindow: the client's main window, or a window-modal
// window presented over another. The screen's root widget becomes the central
// widget and is taken back (never deleted) when the screen is replaced; taken
// back widgets wait, hidden, in a holder that is not part of any view tree.
class QtWindow final : public Window, public std::enable_shared_from_this<QtWindow> {
  public:
    // Closing the main window by its close button tells the delegate, then
    // hides the window when the desktop has a tray to bring it back from, or
    // minimises it when not. It never ends the process.
    static std::shared_ptr<QtWindow> createMain(ViewLoader& loader,
                                                std::function<bool()> trayAvailable);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    void setContentViewController(std::shared_ptr<ViewController> controller) override;
    std::shared_ptr<ViewController> contentViewController() const override { return content_; }
    void setDelegate(std::weak_ptr<WindowDelegate> delegate) override;
    std::shared_ptr<WindowDelegate> delegate() const override { return delegate_.lock(); }
    unsigned styleMask() const override { return styleMask_; }
    void setStyleMask(unsigned styleMask) override;
    void presentViewControllerAsModalWindow(std::shared_ptr<ViewController> controller) override;
    void dismiss() override;

    // Puts the window on screen (restoring it when minimised) and in front.
    void show();
    bool isVisible() const;
    QWidget* widget() const;
    const std::vector<std::shared_ptr<QtWindow>>& presentedWindows() const { return presented_; }

    enum class Role { main, modal };
    // Made only through createMain and presentViewControllerAsModalWindow.
    class Key {
        friend class QtWindow;
        Key() = default;
    };
    QtWindow(Key, Role role, ViewLoader& loader, std::function<bool()> trayAvailable,
             QWidget* parent);

  private:
    void closeRequested(QCloseEvent* event);
    void escapePressed();
    void shown();
    void fitTo(QWidget& content);
    void applyStyleMask();
    void releaseContent();
    void retire(std::shared_ptr<void> held);
    void forgetPresented(const QtWindow* window);

    Role role_;
    ViewLoader& loader_;
    std::function<bool()> trayAvailable_;
    QPointer<ShellWindowWidget> widget_;
    QPointer<QWidget> parking_;
    std::shared_ptr<ViewController> content_;
    std::weak_ptr<WindowDelegate> delegate_;
    unsigned styleMask_ = window_style::titled | window_style::closable |
                          window_style::miniaturizable | window_style::resizable;
    std::weak_ptr<QtWindow> presenter_;
    std::vector<std::shared_ptr<QtWindow>> presented_;
    // What the window let go of while an event may still be using it (a
    // screen replaced from its own button's click); dropped on the next turn.
    std::vector<std::shared_ptr<void>> retired_;
    bool cleanupPosted_ = false;
    bool dismissed_ = false;
};

}  // namespace twl
