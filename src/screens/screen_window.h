#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QCloseEvent;
class QWidget;

namespace twl {

class ShellWindowWidget;
class ViewController;
class WindowDelegate;

// A window that shows one screen at a time: the client's main window, or a
// window-modal window presented over another (no nested loop: timers keep
// running). The screen's root widget becomes the central widget and is taken
// back, never deleted, when the screen is replaced; the replaced screen is let
// go of once the current event is done. All calls on the main thread.
class ScreenWindow final : public std::enable_shared_from_this<ScreenWindow> {
  public:
    // Closing the main window by its close button tells the delegate, then
    // hides the window when the desktop has a tray to bring it back from, or
    // minimises it when not. It never ends the process.
    static std::shared_ptr<ScreenWindow> createMain(std::function<bool()> trayAvailable);
    ~ScreenWindow();
    ScreenWindow(const ScreenWindow&) = delete;
    ScreenWindow& operator=(const ScreenWindow&) = delete;

    // Makes the screen the window's content: builds its form the first time
    // (then viewDidLoad), puts it in place of the old content at the size it
    // was drawn at and, if the window is on screen, calls viewDidAppear.
    void setContentViewController(const std::shared_ptr<ViewController>& controller);
    std::shared_ptr<ViewController> contentViewController() const { return content_; }
    void setDelegate(std::weak_ptr<WindowDelegate> delegate) { delegate_ = std::move(delegate); }

    // Shows the screen in a new window-modal window over this one; closing it
    // by its close button or Esc calls the screen's cancelOperation().
    void presentViewControllerAsModalWindow(const std::shared_ptr<ViewController>& controller);
    // Closes a modal window and lets go of its screen; the main window ignores it.
    void dismiss();

    // Puts the window on screen (restoring it when minimised) and in front.
    void show();
    bool isVisible() const;
    QWidget* widget() const;
    const std::vector<std::shared_ptr<ScreenWindow>>& presentedWindows() const {
        return presented_;
    }

    enum class Role { main, modal };
    // Made only through createMain and presentViewControllerAsModalWindow.
    class Key {
        friend class ScreenWindow;
        Key() = default;
    };
    ScreenWindow(Key, Role role, std::function<bool()> trayAvailable, QWidget* parent);

  private:
    void closeRequested(QCloseEvent* event);
    void askContentToCancel();
    void shown();
    void releaseContent();
    void letGoLater(std::shared_ptr<void> held);
    void forgetPresented(const ScreenWindow* window);

    Role role_;
    std::function<bool()> trayAvailable_;
    QPointer<ShellWindowWidget> widget_;
    std::shared_ptr<ViewController> content_;
    std::weak_ptr<WindowDelegate> delegate_;
    std::weak_ptr<ScreenWindow> presenter_;
    std::vector<std::shared_ptr<ScreenWindow>> presented_;
    bool dismissed_ = false;
};

}  // namespace twl
