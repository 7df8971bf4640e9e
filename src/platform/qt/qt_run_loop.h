#pragma once

#include <QObject>

#include "platform/run_loop.h"

namespace twl {

// The run loop on the Qt event loop of the thread that creates it (the main
// thread). Timers are QTimers owned by this object; a timer stays scheduled,
// and keeps its handler, until it is invalidated or this object goes away.
class QtRunLoop final : public QObject, public RunLoop {
    Q_OBJECT

  public:
    explicit QtRunLoop(QObject* parent = nullptr);
    ~QtRunLoop() override;

    std::shared_ptr<Timer> scheduleRepeating(double intervalSeconds, Handler handler) override;
    std::shared_ptr<Timer> delay(double seconds, Handler handler) override;
    void post(Handler handler) override;
    double now() const override;
};

}  // namespace twl
