#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/http_transport.h"

namespace twl {

class CurlWorker;
class RunLoop;

// The limits every request is held to; tests shorten them.
struct HttpBounds {
    std::chrono::milliseconds connect{10'000};  // name resolution and connecting
    std::chrono::milliseconds total{30'000};    // the whole request, name resolution included
    std::size_t maxBodyBytes = std::size_t{1024} * 1024;  // counted as the body arrives
};

// HTTPS over libcurl. Requests run on one worker thread that reuses
// connections between them; completions are posted to `mainLoop`. TLS is always
// verified, against the system's CAs plus those in `extraCaFile` (if given).
// Redirects are followed, to HTTPS only.
//
// Nothing of libcurl is loaded or run until the first request, which starts
// the worker: the worker loads and starts libcurl (and the TLS library under
// it) and builds the CA bundle itself, so the window waits for none of it,
// neither at start-up nor at that request. A set-up that fails is every
// request's error.
//
// `mainLoop` must outlive this object. Destroying it stops the worker at once:
// requests still in flight are abandoned and their completions never run (they
// are released on the destroying thread).
class CurlHttpTransport final : public HttpTransport {
  public:
    CurlHttpTransport(RunLoop& mainLoop, const std::string& extraCaFile, HttpBounds bounds = {});
    ~CurlHttpTransport() override;
    CurlHttpTransport(const CurlHttpTransport&) = delete;
    CurlHttpTransport& operator=(const CurlHttpTransport&) = delete;

    void sendJson(HttpRequestParts request, JsonCompletion completion) override;

    // Held to `bound` in all (and to the connect bound), on the same worker
    // and connections as sendJson.
    void fetchText(const std::string& url, std::chrono::milliseconds bound,
                   TextCompletion completion) override;

  private:
    CurlWorker& worker();

    RunLoop& mainLoop_;
    const std::string extraCaFile_;
    const HttpBounds bounds_;
    std::unique_ptr<CurlWorker> worker_;  // made by the first request
};

}  // namespace twl
