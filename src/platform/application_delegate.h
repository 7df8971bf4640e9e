#pragma once

namespace twl {

// What the application tells its delegate. Every call on the main thread.
class ApplicationDelegate {
  public:
    virtual ~ApplicationDelegate() = default;

    // Once, after the first screen is in its window.
    virtual void applicationDidFinishLaunching() = 0;
    // The user launched the client again while it runs; true lets the
    // application bring its windows back.
    virtual bool applicationShouldHandleReopen(bool hasVisibleWindows) = 0;
    // Once, just before the process ends, whichever way quitting began.
    virtual void applicationWillTerminate() = 0;
};

}  // namespace twl
