#include "platform/curl/curl_transfer.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "app/build_config.h"
#include "platform/json_reading.h"
#include "platform/utf8_text.h"

namespace twl {
namespace {

struct UrlCleanup {
    void operator()(CURLU* url) const { libcurl().url_cleanup(url); }
};

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool isNamed(std::string_view header, std::string_view name) {
    return header.size() == name.size() &&
           std::equal(header.begin(), header.end(), name.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// Moved all the way: a reply nested deeply enough is too costly to copy.
template <typename Reply>
std::function<void()> bound(std::function<void(Reply)> completion, Reply reply) {
    return [completion = std::move(completion), reply = std::move(reply)]() mutable {
        if (completion) {
            completion(std::move(reply));
        }
    };
}

template <typename Reply>
std::function<void()> boundError(std::function<void(Reply)> completion, std::string error) {
    return bound(std::move(completion), Reply{std::nullopt, std::move(error)});
}

}  // namespace

std::function<void()> errorDelivery(ReplyCompletion completion, std::string error) {
    return std::visit(
        [&error](auto& complete) { return boundError(std::move(complete), std::move(error)); },
        completion);
}

TransferPolicy TransferPolicy::within(std::chrono::milliseconds bound) const {
    TransferPolicy bounded = *this;
    bounded.totalBound = std::max(bound, std::chrono::milliseconds(1));
    bounded.connectBound = std::min(connectBound, bounded.totalBound);
    return bounded;
}

std::optional<std::string> unusableUrl(const std::string& url) {
    std::unique_ptr<CURLU, UrlCleanup> parsed(libcurl().url());
    if (!parsed) {
        return "out of memory";
    }
    // The URL itself stays out of the description: its query may hold a password.
    if (const CURLUcode code = libcurl().url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0)) {
        return std::string("the URL cannot be parsed: ") + libcurl().url_strerror(code);
    }
    char* scheme = nullptr;
    if (libcurl().url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) {
        return "the URL cannot be parsed: no scheme";
    }
    const bool https = std::string_view(scheme) == "https";
    libcurl().free(scheme);
    if (!https) {
        return "only HTTPS URLs are requested";
    }
    return std::nullopt;
}

CurlTransfer::CurlTransfer(CurlEasyPtr easy, std::size_t maxBodyBytes)
    : easy_(std::move(easy)), maxBodyBytes_(maxBodyBytes) {}

std::unique_ptr<CurlTransfer> CurlTransfer::prepare(CurlEasyPtr easy,
                                                    const HttpRequestParts& request,
                                                    const TransferPolicy& policy,
                                                    std::string& error) {
    if (!easy) {
        error = "cannot start a request: out of memory";
        return nullptr;
    }
    libcurl().easy_reset(easy.get());
    std::unique_ptr<CurlTransfer> transfer(new CurlTransfer(std::move(easy), policy.maxBodyBytes));
    if (auto problem = transfer->configure(request, policy)) {
        error = std::move(*problem);
        return nullptr;
    }
    return transfer;
}

std::optional<std::string> CurlTransfer::configure(const HttpRequestParts& request,
                                                   const TransferPolicy& policy) {
    if (auto problem = unusableUrl(request.url)) {
        return problem;
    }
    if (auto problem = setHeaders(request)) {
        return problem;
    }
    CURL* easy = easy_.get();
    libcurl().easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    libcurl().easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    libcurl().easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    libcurl().easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    libcurl().easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    libcurl().easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // Ending a transfer must not wait for a name look-up that never answers:
    // quitting would hang on the resolver thread.
    libcurl().easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    libcurl().easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                          static_cast<long>(policy.connectBound.count()));
    libcurl().easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(policy.totalBound.count()));
    libcurl().easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    libcurl().easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    // A store built from one CA file alone is kept for later connections; a
    // certificate folder beside it makes libcurl build it again for each,
    // and the system's bundle holds the folder's certificates anyway.
    libcurl().easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    if (!policy.caFile.empty()) {
        libcurl().easy_setopt(easy, CURLOPT_CAINFO, policy.caFile.c_str());
    }
    // A declared length over the cap fails before the body is read; the body
    // sink catches replies that declare none.
    libcurl().easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBodyBytes_));
    // No compressed replies are asked for: every reply is small, and a server
    // that compresses even a few bytes (at brotli's best, say) spends far
    // longer on it than the transfer takes.
    libcurl().easy_setopt(easy, CURLOPT_USERAGENT,
                          (std::string("Tidewaterlink/") + build_config::version).c_str());
    libcurl().easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
    libcurl().easy_setopt(easy, CURLOPT_WRITEDATA, this);
    libcurl().easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer_);
    libcurl().easy_setopt(easy, CURLOPT_HTTPHEADER, headers_.get());
    setMethodAndBody(request);
    return std::nullopt;
}

std::optional<std::string> CurlTransfer::setHeaders(const HttpRequestParts& request) {
    bool contentTypeGiven = false;
    for (const auto& [name, value] : request.headers) {
        // A line break would let a value add header lines of its own.
        if (name.empty() || hasLineBreak(name) || hasLineBreak(value) ||
            name.find(':') != std::string::npos) {
            return "a request header is malformed";
        }
        contentTypeGiven = contentTypeGiven || isNamed(name, "Content-Type");
        // "Name;" is libcurl's way of sending a header with an empty value.
        std::string line = name;
        if (value.empty()) {
            line += ';';
        } else {
            line.append(": ").append(value);
        }
        curl_slist* grown = libcurl().slist_append(headers_.get(), line.c_str());
        if (!grown) {
            return "cannot start a request: out of memory";
        }
        (void)headers_.release();
        headers_.reset(grown);
    }
    if (request.jsonBody && !contentTypeGiven) {
        curl_slist* grown =
            libcurl().slist_append(headers_.get(), "Content-Type: application/json");
        if (!grown) {
            return "cannot start a request: out of memory";
        }
        (void)headers_.release();
        headers_.reset(grown);
    }
    return std::nullopt;
}

void CurlTransfer::setMethodAndBody(const HttpRequestParts& request) {
    CURL* easy = easy_.get();
    if (request.jsonBody) {
        const std::string body = request.jsonBody->dump();
        libcurl().easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                              static_cast<curl_off_t>(body.size()));
        libcurl().easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, body.c_str());
    } else {
        libcurl().easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    const bool plain = request.method == (request.jsonBody ? "POST" : "GET");
    if (!plain) {
        libcurl().easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    }
}

std::size_t CurlTransfer::onBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    const std::size_t bytes = size * count;
    if (bytes > transfer.maxBodyBytes_ - std::min(transfer.maxBodyBytes_, transfer.body_.size())) {
        transfer.bodyTooLarge_ = true;
        return 0;  // libcurl ends the transfer with a write error
    }
    transfer.body_.append(data, bytes);
    return bytes;
}

std::optional<std::string> CurlTransfer::failure(CURLcode result) const {
    if (bodyTooLarge_ || result == CURLE_FILESIZE_EXCEEDED) {
        return "the reply body is larger than " + std::to_string(maxBodyBytes_) + " bytes";
    }
    if (result == CURLE_OK) {
        return std::nullopt;
    }
    if (errorBuffer_[0] != '\0') {
        return std::string(errorBuffer_);
    }
    return std::string(libcurl().easy_strerror(result));
}

std::function<void()> CurlTransfer::delivery(CURLcode result) {
    if (auto* json = std::get_if<HttpTransport::JsonCompletion>(&completion)) {
        return bound(std::move(*json), jsonReply(result));
    }
    return bound(std::move(std::get<HttpTransport::TextCompletion>(completion)), textReply(result));
}

JsonReply CurlTransfer::jsonReply(CURLcode result) const {
    if (auto error = failure(result)) {
        return JsonReply{std::nullopt, std::move(error)};
    }
    return jsonReplyOf(body_);
}

TextReply CurlTransfer::textReply(CURLcode result) const {
    if (auto error = failure(result)) {
        return TextReply{std::nullopt, std::move(error)};
    }
    if (!isValidUtf8(body_)) {
        return TextReply{std::nullopt, "the reply is not valid UTF-8 text"};
    }
    return TextReply{body_, std::nullopt};
}

}  // namespace twl
