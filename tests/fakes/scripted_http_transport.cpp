#include "fakes/scripted_http_transport.h"

namespace twl::fakes {

void ScriptedHttpTransport::sendJson(HttpRequestParts request, JsonCompletion completion) {
    requests_.push_back(std::move(request));
    take(json_, std::move(completion));
}

void ScriptedHttpTransport::fetchText(const std::string& url, std::chrono::milliseconds bound,
                                      TextCompletion completion) {
    textRequests_.push_back({url, bound});
    take(text_, std::move(completion));
}

bool ScriptedHttpTransport::answerOldest(JsonReply reply) {
    return answer(json_, std::move(reply), false);
}

bool ScriptedHttpTransport::answerOldestText(TextReply reply) {
    return answer(text_, std::move(reply), false);
}

bool ScriptedHttpTransport::answerNewestText(TextReply reply) {
    return answer(text_, std::move(reply), true);
}

template <typename Reply>
void ScriptedHttpTransport::take(Queue<Reply>& queue, std::function<void(Reply)> completion) {
    if (queue.scripted.empty()) {
        queue.waiting.push_back(std::move(completion));
        return;
    }
    deliver(std::move(completion), std::move(queue.scripted.front()));
    queue.scripted.pop_front();
}

template <typename Reply>
bool ScriptedHttpTransport::answer(Queue<Reply>& queue, Reply reply, bool newest) {
    if (queue.waiting.empty()) {
        return false;
    }
    deliver(std::move(newest ? queue.waiting.back() : queue.waiting.front()), std::move(reply));
    newest ? queue.waiting.pop_back() : queue.waiting.pop_front();
    return true;
}

template <typename Reply>
void ScriptedHttpTransport::deliver(std::function<void(Reply)> completion, Reply reply) {
    loop_.post([completion = std::move(completion), reply = std::move(reply)] {
        if (completion) {
            completion(reply);
        }
    });
}

}  // namespace twl::fakes
