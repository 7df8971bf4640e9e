#pragma once

#include <curl/curl.h>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/curl/curl_transfer.h"

namespace twl {

class CaBundleFile;
class RunLoop;

// A request as the caller hands it over; the worker makes the transfer, so
// that nothing of libcurl runs on the caller's thread.
struct CurlRequest {
    HttpRequestParts parts;
    std::optional<std::chrono::milliseconds> bound;  // for the whole request; none: the policy's
    ReplyCompletion completion;
};

// The thread that runs asynchronous transfers on one multi handle, so that
// connections are reused between requests. Before its first transfer it
// loads and starts libcurl (and the TLS library under it) and builds the CA
// bundle, which would otherwise hold up the caller. Each finished transfer's completion is posted
// to the main loop with its reply.
class CurlWorker {
  public:
    // Held to `policy`, whose CA file comes from `extraCaFile` (see CaBundleFile).
    CurlWorker(RunLoop& mainLoop, std::string extraCaFile, TransferPolicy policy);
    // Stops and joins the thread; unfinished transfers are dropped here, on the
    // destroying thread, without running their completions.
    ~CurlWorker();
    CurlWorker(const CurlWorker&) = delete;
    CurlWorker& operator=(const CurlWorker&) = delete;

    // Any thread.
    void start(CurlRequest request);

  private:
    struct MultiCleanup {
        void operator()(CURLM* multi) const { libcurl().multi_cleanup(multi); }
    };

    void run();
    std::optional<std::string> setUp();
    void refuseAll(const std::string& why);
    void admitIncoming();
    void admit(CurlRequest request);
    void finishDone();
    void abandonAll();

    RunLoop& mainLoop_;
    const std::string extraCaFile_;
    TransferPolicy policy_;  // its CA file is set by setUp()
    std::unique_ptr<CaBundleFile> caBundle_;
    std::unique_ptr<CURLM, MultiCleanup> multi_;

    std::mutex mutex_;  // guards the four below
    std::deque<CurlRequest> incoming_;
    bool stopping_ = false;
    CURLM* wakeable_ = nullptr;           // the multi handle, once it is made
    std::optional<std::string> refusal_;  // why set-up failed, for every request

    std::map<CURL*, std::unique_ptr<CurlTransfer>> active_;  // the worker's own until the join
    std::thread thread_;
};

}  // namespace twl
