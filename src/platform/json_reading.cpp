#include "platform/json_reading.h"

#include <algorithm>

namespace twl {
namespace {

// One pass over the bytes, minding strings and their escapes; the parser never
// sees a text that is too deep.
bool nestsDeeperThan(std::string_view text, std::size_t maxDepth) {
    std::size_t depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        switch (c) {
            case '"':
                inString = true;
                break;
            case '[':
            case '{':
                if (++depth > maxDepth) {
                    return true;
                }
                break;
            case ']':
            case '}':
                if (depth > 0) {
                    --depth;
                }
                break;
            default:
                break;
        }
    }
    return false;
}

}  // namespace

std::optional<nlohmann::json> readOutsideJson(std::string_view text, std::string& error,
                                              std::size_t maxDepth) {
    if (nestsDeeperThan(text, maxDepth)) {
        error = "it nests deeper than " + std::to_string(maxDepth) + " levels";
        return std::nullopt;
    }
    try {
        return nlohmann::json::parse(text);
    } catch (const nlohmann::json::exception& e) {
        // The parser quotes the token it stopped in, which may be most of a
        // megabyte of the reply: the description ends before it.
        error = e.what();
        error.erase(std::min(error.find("; last read:"), error.size()));
        return std::nullopt;
    }
}

JsonReply jsonReplyOf(std::string_view body) {
    std::string error;
    auto value = readOutsideJson(body, error);
    if (!value) {
        return JsonReply{std::nullopt, "the reply is not JSON: " + error};
    }
    return JsonReply{std::move(value), std::nullopt};
}

}  // namespace twl
