#include "platform/qt/qt_run_loop.h"

#include <QDateTime>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

namespace twl {
namespace {

int toMilliseconds(double seconds) {
    if (!(seconds >= 0.0)) {
        return 0;
    }
    return static_cast<int>(std::lround(std::min(seconds, 2.0e6) * 1000.0));
}

// The QTimer belongs to the run loop object, and its connection holds the
// handler: dropping every handle leaves the timer running, as a scheduled timer
// is the run loop's until it is invalidated.
class QtTimer final : public Timer {
  public:
    QtTimer(QObject* owner, int intervalMs, bool once, RunLoop::Handler handler)
        : timer_(new QTimer(owner)),
          handler_(std::make_shared<RunLoop::Handler>(std::move(handler))) {
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setInterval(intervalMs);
        timer_->setSingleShot(once);
        QTimer* ticking = timer_;
        QObject::connect(timer_, &QTimer::timeout, timer_, [handler = handler_, once, ticking] {
            // A copy keeps the handler alive while it runs, even if it
            // invalidates its own timer; a one-off lets go of it and its
            // QTimer after.
            const RunLoop::Handler copy = once ? std::exchange(*handler, nullptr) : *handler;
            if (once) {
                ticking->deleteLater();
            }
            if (copy) {
                copy();
            }
        });
        timer_->start();
    }

    void invalidate() override {
        *handler_ = nullptr;  // releases what the handler holds, at once
        if (timer_) {
            timer_->stop();
            timer_->deleteLater();
            timer_.clear();
        }
    }
    bool isValid() const override { return !timer_.isNull() && timer_->isActive(); }

  private:
    QPointer<QTimer> timer_;
    std::shared_ptr<RunLoop::Handler> handler_;
};

}  // namespace

QtRunLoop::QtRunLoop(QObject* parent) : QObject(parent) {}

QtRunLoop::~QtRunLoop() = default;

std::shared_ptr<Timer> QtRunLoop::scheduleRepeating(double intervalSeconds, Handler handler) {
    return std::make_shared<QtTimer>(this, std::max(1, toMilliseconds(intervalSeconds)), false,
                                     std::move(handler));
}

std::shared_ptr<Timer> QtRunLoop::delay(double seconds, Handler handler) {
    return std::make_shared<QtTimer>(this, toMilliseconds(seconds), true, std::move(handler));
}

void QtRunLoop::post(Handler handler) {
    // Queued to this object's thread, whichever thread calls.
    QMetaObject::invokeMethod(
        this,
        [handler = std::move(handler)] {
            if (handler) {
                handler();
            }
        },
        Qt::QueuedConnection);
}

double QtRunLoop::now() const {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

}  // namespace twl
