#include "platform/timer.h"

namespace twl {
namespace {

class UnscheduledTimer final : public Timer {
  public:
    void invalidate() override {}
    bool isValid() const override { return false; }
};

}  // namespace

std::shared_ptr<Timer> Timer::unscheduled() {
    return std::make_shared<UnscheduledTimer>();
}

}  // namespace twl
