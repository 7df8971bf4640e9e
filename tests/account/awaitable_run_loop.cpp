#include "account/awaitable_run_loop.h"

namespace twl::fakes {

void AwaitableRunLoop::post(Handler handler) {
    loop_.post(std::move(handler));
    std::lock_guard lock(mutex_);
    ++postCount_;
    posted_.notify_all();
}

bool AwaitableRunLoop::runUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(mutex_);
    for (;;) {
        const unsigned long seen = postCount_;
        lock.unlock();
        loop_.runPending();
        if (done()) {
            return true;
        }
        lock.lock();
        if (!posted_.wait_until(lock, deadline, [&] { return postCount_ != seen; })) {
            return false;
        }
    }
}

}  // namespace twl::fakes
