#include "account/account_reply.h"

namespace twl {
namespace {

const std::string* stringMember(const nlohmann::json& object, const char* name) {
    const auto found = object.find(name);
    if (found == object.end() || !found->is_string()) {
        return nullptr;
    }
    return found->get_ptr<const std::string*>();
}

SortedAccountReply networkError() {
    return {AccountOutcome::networkError, accountMessages::networkError};
}

}  // namespace

SortedAccountReply sortAccountReply(const std::optional<nlohmann::json>& value,
                                    const std::optional<std::string>& error) {
    if (error || !value || !value->is_object()) {
        return networkError();
    }
    const std::string* response = stringMember(*value, "response");
    if (!response) {
        return networkError();
    }
    if (*response != "success") {
        return {AccountOutcome::refused, accountMessages::refused};
    }
    const std::string* status = stringMember(*value, "status");
    if (!status) {
        return networkError();
    }
    if (*status == "Paid") {
        return {AccountOutcome::accepted, ""};
    }
    const std::string* message = stringMember(*value, "message");
    if (!message) {
        return networkError();
    }
    return {AccountOutcome::notPaid, *message};
}

}  // namespace twl
