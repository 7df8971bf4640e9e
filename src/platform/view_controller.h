#pragma once

#include <memory>
#include <string>

namespace twl {

class OutletBinder;
class View;
class ViewLoader;
class Window;
struct MouseEvent;

// A screen: the content of a window, or of a modal window. Controllers are
// shared; the window that shows one holds it. A screen owns its views (through
// view()), so its weak outlets stay usable for as long as the screen lives,
// even after another screen has replaced it in the window.
class ViewController : public std::enable_shared_from_this<ViewController> {
  public:
    virtual ~ViewController() = default;

    // Names the screen's outlets and actions (see OutletBinder). Called once,
    // while the layout is loaded, before viewDidLoad.
    virtual void bindOutlets(OutletBinder& binder);
    // Once the screen's views have been made and bound; not yet in a window.
    virtual void viewDidLoad() {}
    // Each time the screen has been shown in a window on screen.
    virtual void viewDidAppear() {}
    // The pointer entered or left a tracking area of the layout.
    virtual void mouseEntered(const MouseEvent& event);
    virtual void mouseExited(const MouseEvent& event);
    // Esc, or the close button of a modal window. A presented screen is
    // dismissed unless it decides otherwise.
    virtual void cancelOperation();

    // The identifier the storyboard made this screen for.
    const std::string& storyboardIdentifier() const { return storyboardIdentifier_; }

    // The root view once loaded; nothing before.
    const std::shared_ptr<View>& view() const { return view_; }
    bool isViewLoaded() const { return view_ != nullptr; }

    // The window showing the screen, or nothing.
    std::shared_ptr<Window> window() const { return window_.lock(); }

    // Shows `controller` in a modal window over this screen's window; nothing
    // happens when this screen is in no window.
    void presentViewControllerAsModalWindow(std::shared_ptr<ViewController> controller);
    // Closes the modal window that shows `controller`.
    void dismissViewController(ViewController& controller);

    // For the platform (storyboard and windows), not for screens.
    void setStoryboardIdentifier(std::string identifier);
    // Loads and binds the views the first time, then runs viewDidLoad.
    void loadViewIfNeeded(ViewLoader& loader);
    void setWindow(std::weak_ptr<Window> window);

  private:
    std::string storyboardIdentifier_;
    std::shared_ptr<View> view_;
    std::weak_ptr<Window> window_;
};

}  // namespace twl
