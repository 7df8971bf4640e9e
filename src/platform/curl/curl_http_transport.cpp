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

// A request that cannot be made has its error delivered like any reply: later,
// on the main loop, never from inside the call.
void start(RunLoop& mainLoop, CurlWorker& worker, const HttpRequestSpec& request,
           const TransferPolicy& policy, ReplyCompletion completion) {
    std::string error;
    auto transfer = CurlTransfer::prepare(CurlEasyPtr(curl_easy_init()), request, policy, error);
    if (!transfer) {
        mainLoop.post(errorDelivery(std::move(completion), std::move(error)));
        return;
    }
    transfer->completion = std::move(completion);
    worker.start(std::move(transfer));
}

}  // namespace

CurlHttpTransport::CurlHttpTransport(RunLoop& mainLoop, const std::string& extraCaFile,
                                     HttpBounds bounds)
    : mainLoop_(mainLoop) {
    initialiseCurlOnce();
    caBundle_ = std::make_unique<CaBundleFile>(extraCaFile);
    policy_ = std::make_unique<TransferPolicy>(
        TransferPolicy{bounds.connect, bounds.total, bounds.maxBodyBytes, caBundle_->path()});
    worker_ = std::make_unique<CurlWorker>(mainLoop);
}

CurlHttpTransport::~CurlHttpTransport() = default;

void CurlHttpTransport::sendJson(HttpRequestSpec request, JsonCompletion completion) {
    start(mainLoop_, *worker_, request, *policy_, std::move(completion));
}

void CurlHttpTransport::fetchText(const std::string& url, std::chrono::milliseconds bound,
                                  TextCompletion completion) {
    TransferPolicy policy = *policy_;
    policy.totalBound = std::max(bound, std::chrono::milliseconds(1));
    policy.connectBound = std::min(policy.connectBound, policy.totalBound);
    HttpRequestSpec request;
    request.url = url;
    start(mainLoop_, *worker_, request, policy, std::move(completion));
}

}  // namespace twl
