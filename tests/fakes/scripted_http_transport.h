#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "platform/http_transport.h"
#include "platform/run_loop.h"

namespace twl::fakes {

// An HTTP transport that answers from a script and records every request.
// sendJson takes the next scripted reply and posts it to the run loop (it
// arrives on runPending() or advance()); with none scripted the request waits
// until the test answers it. fetchText does the same from its own script.
class ScriptedHttpTransport final : public HttpTransport {
  public:
    explicit ScriptedHttpTransport(RunLoop& loop) : loop_(loop) {}

    static JsonReply success(nlohmann::json value) { return JsonReply{std::move(value), {}}; }
    static JsonReply failure(std::string error) { return JsonReply{{}, std::move(error)}; }

    // The reply for the next text fetch that arrives.
    void scriptText(TextReply reply) { text_.scripted.push_back(std::move(reply)); }

    // Answers the oldest request still waiting; false when none waits.
    bool answerOldest(JsonReply reply);
    bool answerOldestText(TextReply reply);
    // Answers the newest text fetch still waiting, so that it overtakes the older ones.
    bool answerNewestText(TextReply reply);

    void sendJson(HttpRequestParts request, JsonCompletion completion) override;
    void fetchText(const std::string& url, std::chrono::milliseconds bound,
                   TextCompletion completion) override;

    const std::vector<HttpRequestParts>& requests() const { return requests_; }
    struct TextRequest {
        std::string url;
        std::chrono::milliseconds bound;
    };
    const std::vector<TextRequest>& textRequests() const { return textRequests_; }

  private:
    // The replies scripted for one kind of request, and the requests waiting for one.
    template <typename Reply>
    struct Queue {
        std::deque<Reply> scripted;
        std::deque<std::function<void(Reply)>> waiting;
    };
    template <typename Reply>
    void take(Queue<Reply>& queue, std::function<void(Reply)> completion);
    template <typename Reply>
    bool answer(Queue<Reply>& queue, Reply reply, bool newest);
    template <typename Reply>
    void deliver(std::function<void(Reply)> completion, Reply reply);

    RunLoop& loop_;
    Queue<JsonReply> json_;
    Queue<TextReply> text_;
    std::vector<HttpRequestParts> requests_;
    std::vector<TextRequest> textRequests_;
};

}  // namespace twl::fakes
