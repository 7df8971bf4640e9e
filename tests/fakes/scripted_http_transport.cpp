#include "fakes/scripted_http_transport.h"

namespace twl::fakes {

bool ScriptedHttpTransport::answerOldest(JsonReply reply) {
    if (waiting_.empty()) {
        return false;
    }
    deliver(std::move(waiting_.front()), std::move(reply));
    waiting_.pop_front();
    return true;
}

void ScriptedHttpTransport::sendJson(HttpRequestSpec request, JsonCompletion completion) {
    requests_.push_back(std::move(request));
    if (scriptedJson_.empty()) {
        waiting_.push_back(std::move(completion));
        return;
    }
    deliver(std::move(completion), std::move(scriptedJson_.front()));
    scriptedJson_.pop_front();
}

bool ScriptedHttpTransport::answerOldestText(TextReply reply) {
    if (waitingText_.empty()) {
        return false;
    }
    deliver(std::move(waitingText_.front()), std::move(reply));
    waitingText_.pop_front();
    return true;
}

void ScriptedHttpTransport::fetchText(const std::string& url, std::chrono::milliseconds bound,
                                      TextCompletion completion) {
    textRequests_.push_back({url, bound});
    if (scriptedText_.empty()) {
        waitingText_.push_back(std::move(completion));
        return;
    }
    deliver(std::move(completion), std::move(scriptedText_.front()));
    scriptedText_.pop_front();
}

template <typename Completion, typename Reply>
void ScriptedHttpTransport::deliver(Completion completion, Reply reply) {
    loop_.post([completion = std::move(completion), reply = std::move(reply)] {
        if (completion) {
            completion(reply);
        }
    });
}

}  // namespace twl::fakes
