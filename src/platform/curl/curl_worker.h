#pragma once

#include <curl/curl.h>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/curl/curl_transfer.h"

namespace twl {

class RunLoop;

// The thread that runs asynchronous transfers on one multi handle, so that
// connections are reused between requests. Each finished transfer's completion
// is posted to the main loop with its reply.
class CurlWorker {
  public:
    explicit CurlWorker(RunLoop& mainLoop);
    // Stops and joins the thread; unfinished transfers are dropped here, on the
    // destroying thread, without running their completions.
    ~CurlWorker();
    CurlWorker(const CurlWorker&) = delete;
    CurlWorker& operator=(const CurlWorker&) = delete;

    // Any thread.
    void start(std::unique_ptr<CurlTransfer> transfer);

  private:
    struct MultiCleanup {
        void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
    };

    void run();
    void admitIncoming();
    void finishDone();
    void abandonAll();

    RunLoop& mainLoop_;
    std::unique_ptr<CURLM, MultiCleanup> multi_;

    std::mutex mutex_;  // guards incoming_ and stopping_
    std::deque<std::unique_ptr<CurlTransfer>> incoming_;
    bool stopping_ = false;

    std::map<CURL*, std::unique_ptr<CurlTransfer>> active_;  // the worker's own
    std::vector<std::unique_ptr<CurlTransfer>> abandoned_;   // handed back at the join
    std::thread thread_;
};

}  // namespace twl
