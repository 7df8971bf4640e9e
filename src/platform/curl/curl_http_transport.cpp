#include "platform/curl/curl_http_transport.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "platform/curl/ca_bundle_file.h"
#include "platform/curl/curl_transfer.h"
#include "platform/curl/curl_worker.h"
#include "platform/run_loop.h"

namespace twl {
namespace {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            throw std::runtime_error("cannot set up HTTP: libcurl failed to start");
        }
    });
}

}  // namespace

// The blocking GET's own handle, kept so that its connection is reused.
struct CurlHttpTransport::Blocking {
    std::mutex mutex;
    CurlEasyPtr easy;
};

CurlHttpTransport::CurlHttpTransport(RunLoop& mainLoop, const std::string& extraCaFile,
                                     HttpBounds bounds)
    : mainLoop_(mainLoop), blocking_(std::make_unique<Blocking>()) {
    initialiseCurlOnce();
    caBundle_ = std::make_unique<CaBundleFile>(extraCaFile);
    policy_ = std::make_unique<TransferPolicy>(
        TransferPolicy{bounds.connect, bounds.total, bounds.maxBodyBytes, caBundle_->path()});
    worker_ = std::make_unique<CurlWorker>(mainLoop);
}

CurlHttpTransport::~CurlHttpTransport() = default;

void CurlHttpTransport::sendJson(HttpRequestSpec request, JsonCompletion completion) {
    std::string error;
    auto transfer = CurlTransfer::prepare(CurlEasyPtr(curl_easy_init()), request, *policy_, error);
    if (!transfer) {
        // Delivered like any reply: later, on the main loop, never from inside this call.
        mainLoop_.post([completion = std::move(completion), error] {
            if (completion) {
                completion(JsonReply{std::nullopt, error});
            }
        });
        return;
    }
    transfer->completion = std::move(completion);
    worker_->start(std::move(transfer));
}

// For now on the calling thread; the reply still arrives on the main loop.
void CurlHttpTransport::fetchText(const std::string& url, std::chrono::milliseconds bound,
                                  TextCompletion completion) {
    mainLoop_.post([completion = std::move(completion), reply = getText(url, bound)] {
        if (completion) {
            completion(reply);
        }
    });
}

TextReply CurlHttpTransport::getText(const std::string& url, std::chrono::milliseconds bound) {
    std::lock_guard lock(blocking_->mutex);
    TransferPolicy policy = *policy_;
    policy.totalBound = std::max(bound, std::chrono::milliseconds(1));
    policy.connectBound = std::min(policy.connectBound, policy.totalBound);

    CurlEasyPtr easy = blocking_->easy ? std::move(blocking_->easy) : CurlEasyPtr(curl_easy_init());
    HttpRequestSpec request;
    request.url = url;
    std::string error;
    auto transfer = CurlTransfer::prepare(std::move(easy), request, policy, error);
    if (!transfer) {
        return TextReply{std::nullopt, error};
    }
    const CURLcode result = curl_easy_perform(transfer->handle());
    TextReply reply = transfer->textReply(result);
    blocking_->easy = transfer->releaseHandle();
    return reply;
}

}  // namespace twl
