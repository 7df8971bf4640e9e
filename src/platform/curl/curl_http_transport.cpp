#include "platform/curl/curl_http_transport.h"

#include <utility>

#include "platform/curl/curl_transfer.h"
#include "platform/curl/curl_worker.h"

namespace twl {

CurlHttpTransport::CurlHttpTransport(RunLoop& mainLoop, const std::string& extraCaFile,
                                     HttpBounds bounds)
    : mainLoop_(mainLoop), extraCaFile_(extraCaFile), bounds_(bounds) {}

CurlHttpTransport::~CurlHttpTransport() = default;

void CurlHttpTransport::sendJson(HttpRequestParts request, JsonCompletion completion) {
    worker().start(CurlRequest{std::move(request), std::nullopt, std::move(completion)});
}

void CurlHttpTransport::fetchText(const std::string& url, std::chrono::milliseconds bound,
                                  TextCompletion completion) {
    HttpRequestParts request;
    request.url = url;
    worker().start(CurlRequest{std::move(request), bound, std::move(completion)});
}

CurlWorker& CurlHttpTransport::worker() {
    if (!worker_) {
        worker_ = std::make_unique<CurlWorker>(
            mainLoop_, extraCaFile_,
            TransferPolicy{bounds_.connect, bounds_.total, bounds_.maxBodyBytes, {}});
    }
    return *worker_;
}

}  // namespace twl
