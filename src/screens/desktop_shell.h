#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace twl {

class AppDelegate;
class QtWorkspace;
class ScreenWindow;
class ViewController;

// The application around the screens: the main window and the one quit path.
// Closing the last window never quits; the tray menu, SIGTERM, SIGINT, SIGHUP
// and the end of the session all quit through terminate() (or the event
// loop's end), and the delegate hears applicationWillTerminate once.
class DesktopShell final : public QObject {
    Q_OBJECT

  public:
    DesktopShell(QtWorkspace& workspace, std::function<bool()> trayAvailable,
                 QObject* parent = nullptr);
    ~DesktopShell() override;

    ScreenWindow& mainWindow() { return *mainWindow_; }

    // Shows the first screen in the main window, then tells the delegate the
    // application has finished launching.
    void launch(AppDelegate& delegate, const std::shared_ptr<ViewController>& firstScreen);

    // Quits: the delegate's applicationWillTerminate, then the event loop ends.
    void terminate();
    // Another launch asked for this client: its windows come back.
    void reopen();

  protected:
    // The platform's own requests to quit (the end of the session, say) reach
    // the application as a Quit event; they take the same path as the rest.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void willTerminate();

    QtWorkspace& workspace_;
    std::shared_ptr<ScreenWindow> mainWindow_;
    AppDelegate* delegate_ = nullptr;
    bool terminated_ = false;
};

}  // namespace twl
