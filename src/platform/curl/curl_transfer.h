#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/curl/curl_library.h"
#include "platform/http_transport.h"

namespace twl {

struct EasyCleanup {
    void operator()(CURL* easy) const { libcurl().easy_cleanup(easy); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { libcurl().slist_free_all(list); }
};
using CurlEasyPtr = std::unique_ptr<CURL, EasyCleanup>;

// Who a transfer's reply goes to; its type says how the body is read.
using ReplyCompletion = std::variant<HttpTransport::JsonCompletion, HttpTransport::TextCompletion>;

// The completion with `error` for its reply, to be posted to the main loop.
std::function<void()> errorDelivery(ReplyCompletion completion, std::string error);

// What every request is held to.
struct TransferPolicy {
    std::chrono::milliseconds connectBound{10'000};       // name resolution and connecting
    std::chrono::milliseconds totalBound{30'000};         // the whole request
    std::size_t maxBodyBytes = std::size_t{1024} * 1024;  // counted as the body arrives
    std::string caFile;                                   // empty: the system's bundle

    // The same, held to `bound` in all, and connecting within it.
    TransferPolicy within(std::chrono::milliseconds bound) const;
};

// One request on one easy handle: sets the handle up, collects the body and
// turns the result into a reply. Handlers inside libcurl point at this object,
// so it never moves.
class CurlTransfer {
  public:
    // Ready to perform, or nothing and `error` set when the request cannot be
    // made (an unparseable URL, a scheme other than HTTPS, a line break in a
    // header). A reused handle keeps its live connections.
    static std::unique_ptr<CurlTransfer> prepare(CurlEasyPtr easy, const HttpRequestParts& request,
                                                 const TransferPolicy& policy, std::string& error);

    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    CURL* handle() const { return easy_.get(); }

    // The completion with the reply this result makes of the body, to be
    // posted to the main loop. Takes the completion out of the transfer.
    std::function<void()> delivery(CURLcode result);

    // Carried for the owner of an asynchronous transfer.
    ReplyCompletion completion;

  private:
    CurlTransfer(CurlEasyPtr easy, std::size_t maxBodyBytes);
    std::optional<std::string> configure(const HttpRequestParts& request,
                                         const TransferPolicy& policy);
    std::optional<std::string> setHeaders(const HttpRequestParts& request);
    void setMethodAndBody(const HttpRequestParts& request);
    std::optional<std::string> failure(CURLcode result) const;
    JsonReply jsonReply(CURLcode result) const;
    TextReply textReply(CURLcode result) const;
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);

    CurlEasyPtr easy_;
    std::unique_ptr<curl_slist, SlistCleanup> headers_;
    std::size_t maxBodyBytes_;
    std::string body_;
    bool bodyTooLarge_ = false;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

// Why a URL cannot be requested, or nothing when it can: it must parse and
// name HTTPS.
std::optional<std::string> unusableUrl(const std::string& url);

}  // namespace twl
