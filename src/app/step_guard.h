#pragma once

#include <memory>
#include <utility>

namespace twl {

// Lets an answer (a command's end, a look-up's reply) through only while the
// step that asked for it is still the current one: a next step, or the end
// of the guard's owner, drops whatever is still on its way.
class StepGuard {
  public:
    // From now on it is another step.
    void next() { ++*step_; }

    // `answer`, run only while this guard lives and no next() has come since.
    template <typename Answer>
    auto guard(Answer answer) const {
        return [alive = std::weak_ptr<unsigned>(step_), asked = *step_,
                answer = std::move(answer)](const auto&... value) {
            if (const auto step = alive.lock(); step && *step == asked) {
                answer(value...);
            }
        };
    }

  private:
    std::shared_ptr<unsigned> step_ = std::make_shared<unsigned>(0);
};

}  // namespace twl
