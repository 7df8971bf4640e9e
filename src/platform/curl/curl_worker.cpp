#include "platform/curl/curl_worker.h"

#include <stdexcept>
#include <utility>

#include "platform/run_loop.h"

namespace twl {
namespace {

// The longest the worker sleeps with nothing to do; a new request or the stop
// wakes it at once.
constexpr int idleWaitMs = 1000;

}  // namespace

CurlWorker::CurlWorker(RunLoop& mainLoop) : mainLoop_(mainLoop), multi_(curl_multi_init()) {
    if (!multi_) {
        throw std::runtime_error("cannot set up HTTP: out of memory");
    }
    thread_ = std::thread([this] { run(); });
}

CurlWorker::~CurlWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    curl_multi_wakeup(multi_.get());
    thread_.join();
    // Completions may hold screens: they are released here, not on the worker.
    abandoned_.clear();
}

void CurlWorker::start(std::unique_ptr<CurlTransfer> transfer) {
    {
        std::lock_guard lock(mutex_);
        incoming_.push_back(std::move(transfer));
    }
    curl_multi_wakeup(multi_.get());
}

void CurlWorker::run() {
    for (;;) {
        admitIncoming();
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                break;
            }
        }
        int running = 0;
        curl_multi_perform(multi_.get(), &running);
        finishDone();
        curl_multi_poll(multi_.get(), nullptr, 0, idleWaitMs, nullptr);
    }
    abandonAll();
}

void CurlWorker::admitIncoming() {
    std::deque<std::unique_ptr<CurlTransfer>> arrived;
    {
        std::lock_guard lock(mutex_);
        arrived.swap(incoming_);
    }
    for (auto& transfer : arrived) {
        CURL* easy = transfer->handle();
        if (curl_multi_add_handle(multi_.get(), easy) != CURLM_OK) {
            mainLoop_.post(
                errorDelivery(std::move(transfer->completion), "cannot start the request"));
            continue;
        }
        active_.emplace(easy, std::move(transfer));
    }
}

void CurlWorker::finishDone() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        curl_multi_remove_handle(multi_.get(), easy);
        auto found = active_.find(easy);
        if (found == active_.end()) {
            continue;
        }
        const std::unique_ptr<CurlTransfer> transfer = std::move(found->second);
        active_.erase(found);
        mainLoop_.post(transfer->delivery(result));
    }
}

void CurlWorker::abandonAll() {
    for (auto& [easy, transfer] : active_) {
        curl_multi_remove_handle(multi_.get(), easy);
        abandoned_.push_back(std::move(transfer));
    }
    active_.clear();
    std::lock_guard lock(mutex_);
    for (auto& transfer : incoming_) {
        abandoned_.push_back(std::move(transfer));
    }
    incoming_.clear();
}

}  // namespace twl
