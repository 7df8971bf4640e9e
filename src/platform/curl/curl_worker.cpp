#include "platform/curl/curl_worker.h"

#include <stdexcept>
#include <utility>

#include "platform/curl/ca_bundle_file.h"
#include "platform/run_loop.h"

namespace twl {
namespace {

// The longest the worker sleeps with nothing to do; a new request or the stop
// wakes it at once.
constexpr int idleWaitMs = 1000;

}  // namespace

CurlWorker::CurlWorker(RunLoop& mainLoop, std::string extraCaFile, TransferPolicy policy)
    : mainLoop_(mainLoop), extraCaFile_(std::move(extraCaFile)), policy_(std::move(policy)) {
    thread_ = std::thread([this] { run(); });
}

CurlWorker::~CurlWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (wakeable_ != nullptr) {
            libcurl().multi_wakeup(wakeable_);
        }
    }
    thread_.join();
    // Completions may hold screens: they are released here, not on the worker.
    active_.clear();
    incoming_.clear();
}

void CurlWorker::start(CurlRequest request) {
    std::unique_lock lock(mutex_);
    if (refusal_) {
        const std::string why = *refusal_;
        lock.unlock();
        mainLoop_.post(errorDelivery(std::move(request.completion), why));
        return;
    }
    incoming_.push_back(std::move(request));
    if (wakeable_ != nullptr) {
        libcurl().multi_wakeup(wakeable_);
    }
}

void CurlWorker::run() {
    if (auto problem = setUp()) {
        refuseAll(*problem);
        return;
    }
    for (;;) {
        admitIncoming();
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                break;
            }
        }
        int running = 0;
        libcurl().multi_perform(multi_.get(), &running);
        finishDone();
        libcurl().multi_poll(multi_.get(), nullptr, 0, idleWaitMs, nullptr);
    }
    abandonAll();
}

std::optional<std::string> CurlWorker::setUp() {
    if (std::string error; !CurlLibrary::start(error)) {
        return error;
    }
    try {
        caBundle_ = std::make_unique<CaBundleFile>(extraCaFile_);
    } catch (const std::runtime_error& failure) {
        return failure.what();
    }
    policy_.caFile = caBundle_->path();
    multi_.reset(libcurl().multi_init());
    if (!multi_) {
        return "cannot set up HTTP: out of memory";
    }
    std::lock_guard lock(mutex_);
    wakeable_ = multi_.get();
    return std::nullopt;
}

// From now on requests are answered at once, by start().
void CurlWorker::refuseAll(const std::string& why) {
    std::deque<CurlRequest> waiting;
    {
        std::lock_guard lock(mutex_);
        refusal_ = why;
        if (stopping_) {
            return;  // dropped by the destructor, unanswered
        }
        waiting.swap(incoming_);
    }
    for (auto& request : waiting) {
        mainLoop_.post(errorDelivery(std::move(request.completion), why));
    }
}

void CurlWorker::admitIncoming() {
    std::deque<CurlRequest> arrived;
    {
        std::lock_guard lock(mutex_);
        arrived.swap(incoming_);
    }
    for (auto& request : arrived) {
        admit(std::move(request));
    }
}

// A request that cannot be made has its error delivered like any reply.
void CurlWorker::admit(CurlRequest request) {
    const TransferPolicy policy = request.bound ? policy_.within(*request.bound) : policy_;
    std::string error;
    auto transfer =
        CurlTransfer::prepare(CurlEasyPtr(libcurl().easy_init()), request.parts, policy, error);
    if (!transfer) {
        mainLoop_.post(errorDelivery(std::move(request.completion), std::move(error)));
        return;
    }
    transfer->completion = std::move(request.completion);
    CURL* easy = transfer->handle();
    if (libcurl().multi_add_handle(multi_.get(), easy) != CURLM_OK) {
        mainLoop_.post(errorDelivery(std::move(transfer->completion), "cannot start the request"));
        return;
    }
    active_.emplace(easy, std::move(transfer));
}

void CurlWorker::finishDone() {
    int queued = 0;
    while (CURLMsg* message = libcurl().multi_info_read(multi_.get(), &queued)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        libcurl().multi_remove_handle(multi_.get(), easy);
        auto found = active_.find(easy);
        if (found == active_.end()) {
            continue;
        }
        const std::unique_ptr<CurlTransfer> transfer = std::move(found->second);
        active_.erase(found);
        mainLoop_.post(transfer->delivery(result));
    }
}

// The transfers stay in active_ for the destructor to release.
void CurlWorker::abandonAll() {
    for (const auto& [easy, transfer] : active_) {
        libcurl().multi_remove_handle(multi_.get(), easy);
    }
}

}  // namespace twl
