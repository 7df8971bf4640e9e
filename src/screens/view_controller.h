#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

namespace twl {

class ScreenWindow;
class Storyboard;

// A screen: the content of a window, or of a modal window, built from its
// uic form. Controllers are shared; the window that shows one holds it. The
// screen owns its root widget, so the form's widgets stay usable for as long
// as the screen lives, even after another screen has replaced it in the
// window; the root goes with deleteLater, after whatever event is using it.
class ViewController : public std::enable_shared_from_this<ViewController> {
  public:
    ViewController() = default;
    virtual ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // Once the form is built and connected; not yet in a window.
    virtual void viewDidLoad() {}
    // Each time the screen has been shown in a window on screen.
    virtual void viewDidAppear() {}
    // Esc, or the close button of a modal window: a presented screen is
    // dismissed unless it decides otherwise.
    virtual void cancelOperation();

    // The identifier the storyboard made this screen for.
    const std::string& storyboardIdentifier() const { return storyboardIdentifier_; }
    // The root widget once loaded; nothing before.
    QWidget* view() const { return view_.data(); }
    bool isViewLoaded() const { return !view_.isNull(); }
    // The window showing the screen, or nothing.
    std::shared_ptr<ScreenWindow> window() const { return window_.lock(); }

    // Shows `controller` in a modal window over this screen's window; nothing
    // happens when this screen is in no window.
    void presentViewControllerAsModalWindow(const std::shared_ptr<ViewController>& controller);
    // Closes the modal window that shows `controller`.
    void dismissViewController(ViewController& controller);
    // Puts a fresh screen of that identifier in this screen's window; nothing
    // happens when this screen is in no window.
    void showInPlaceOf(const std::string& identifier, const Storyboard& storyboard);

    // For the storyboard and the windows, not for screens.
    void setStoryboardIdentifier(std::string identifier);
    // Builds the form the first time, then runs viewDidLoad.
    void loadViewIfNeeded();
    void setWindow(std::weak_ptr<ScreenWindow> window);
    // Out of its window: the root goes back under the screen's hidden shelf,
    // never a window of its own (Qt may show a parentless widget it was
    // asked to show before), until the screen goes.
    void putAway();

  protected:
    // Builds the screen's form on `root` and connects its controls to the
    // screen's actions, with actions() as the connections' context.
    virtual void loadView(QWidget& root) = 0;
    // What the form's connections belong to: they end with the screen, never
    // reaching it once it has gone.
    QObject* actions() { return &actions_; }

  private:
    std::string storyboardIdentifier_;
    QPointer<QWidget> shelf_;
    QPointer<QWidget> view_;
    std::weak_ptr<ScreenWindow> window_;
    QObject actions_;
};

}  // namespace twl
