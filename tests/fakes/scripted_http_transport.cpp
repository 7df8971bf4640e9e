#include "fakes/scripted_http_transport.h"

#include <utility>

#include "platform/run_loop.h"

namespace twl::fakes {

ScriptedHttpTransport::ScriptedHttpTransport(RunLoop& loop) : loop_(loop) {}

void ScriptedHttpTransport::scriptJson(JsonReply reply) {
    scriptedJson_.push_back(std::move(reply));
}

void ScriptedHttpTransport::scriptText(TextReply reply) {
    scriptedText_.push_back(std::move(reply));
}

bool ScriptedHttpTransport::answerOldest(JsonReply reply) {
    if (waiting_.empty()) {
        return false;
    }
    JsonCompletion completion = std::move(waiting_.front());
    waiting_.pop_front();
    deliver(std::move(completion), std::move(reply));
    return true;
}

void ScriptedHttpTransport::sendJson(HttpRequestSpec request, JsonCompletion completion) {
    requests_.push_back(std::move(request));
    if (scriptedJson_.empty()) {
        waiting_.push_back(std::move(completion));
        return;
    }
    JsonReply reply = std::move(scriptedJson_.front());
    scriptedJson_.pop_front();
    deliver(std::move(completion), std::move(reply));
}

TextReply ScriptedHttpTransport::getText(const std::string& url, std::chrono::milliseconds bound) {
    textRequests_.push_back(TextRequest{url, bound});
    if (scriptedText_.empty()) {
        return TextReply{{}, "no reply scripted"};
    }
    TextReply reply = std::move(scriptedText_.front());
    scriptedText_.pop_front();
    return reply;
}

void ScriptedHttpTransport::deliver(JsonCompletion completion, JsonReply reply) {
    loop_.post([completion = std::move(completion), reply = std::move(reply)] {
        if (completion) {
            completion(reply);
        }
    });
}

}  // namespace twl::fakes
