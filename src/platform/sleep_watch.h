#pragma once

namespace twl {

// Who hears that the machine goes to sleep or wakes. Called on the main thread.
class SleepListener {
  public:
    virtual ~SleepListener() = default;
    // True just before the machine sleeps, false once it has woken.
    virtual void preparingForSleep(bool sleeping) = 0;
};

// The machine's sleep as the session's login manager announces it on the
// system bus. Without one, nothing is ever heard. Called on the main thread.
class SleepWatch {
  public:
    virtual ~SleepWatch() = default;
    // Begins telling `listener`; later calls change nothing.
    virtual void start(SleepListener& listener) = 0;
    // Tells nothing more; the listener may go.
    virtual void stop() = 0;
};

}  // namespace twl
